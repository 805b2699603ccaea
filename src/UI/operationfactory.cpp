#include "UI/operationfactory.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/Document/savedocumentasoperation.h"
#include "Core/Operations/Document/savedocumentoperation.h"
#include "Core/Operations/ExportData/exportdataoperation.h"
#include "Core/Operations/MaskedCut/maskedcutcellvolumeoperation.h"
#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "Core/Operations/MaskedCut/removecutsfromvolumeoperation.h"
#include "Core/Operations/ObjectBuilding/cutcellvolumeoperation.h"
#include "Core/Operations/ObjectBuilding/extractfilm.h"
#include "Core/Operations/ObjectBuilding/gluesubstrateoperation.h"
#include "Core/Operations/ObjectOperations/copyobject.h"
#include "Core/Operations/ObjectOperations/deleteobject.h"
#include "Core/Operations/ObjectOperations/moveobject.h"
#include "Core/Operations/ObjectOperations/selectvolumesoperation.h"
#include "Core/Operations/Photolithography/photolithographyoperation.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdopingoperation.h"
#include "Core/Operations/Visualization/changetotalvolumevisualizationoptions.h"
#include "Core/Operations/operationcontext.h"
#include "Core/Processes/describedprocessoperation.h"
#include "Core/Processes/processregistry.h"
#include "UI/Observers/batchrunobserver.h"
#include "UI/Observers/changetotalvolumeviewoptionsobserver.h"
#include "UI/Observers/createsubstrateobserver.h"
#include "UI/Observers/cutcellvolumeobserver.h"
#include "UI/Observers/extractfilmobserver.h"
#include "UI/Observers/gluesubstrateobserver.h"
#include "UI/Observers/documentopenedobserver.h"
#include "UI/Observers/documentsavedobserver.h"
#include "UI/Observers/materialconflictobserver.h"
#include "UI/Observers/exportdataobserver.h"
#include "UI/Observers/maskedcutobserver.h"
#include "UI/Observers/photolithographyobserver.h"
#include "UI/Observers/processoptionsobserver.h"
#include "UI/Observers/randomwalkdopingobserver.h"
#include "UI/Observers/runmodelextractionobserver.h"

#include <memory>

namespace Ui {

using namespace Core::Operations;

namespace {

template <class Op, class Obs>
OperationPtr withObserver(std::shared_ptr<Op> operation, std::shared_ptr<Obs> observer)
{
    operation->setOptionsObserver(std::move(observer));
    return operation;
}

} // namespace

OperationFactory::OperationFactory(OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

OperationPtr OperationFactory::create(int32_t typeId)
{
    if (const Core::Processes::ProcessDescriptor *process = Core::Processes::ProcessRegistry::instance().byOperation(typeId))
        if (process->generic && process->run)
            return withObserver(std::make_shared<Core::Processes::DescribedProcessOperation>(context, *process),
                                std::make_shared<Observers::ProcessOptionsObserver>(context, mainWindow));
    switch (typeId) {
    case 1:
        return std::make_shared<CopyObject>(context);
    case 2:
        return withObserver(std::make_shared<CreateSubstrateOperation>(context),
                            std::make_shared<Observers::CreateSubstrateObserver>(context, mainWindow));
    case 4:
        return std::make_shared<DeleteObject>(context);
    case 6:
        return withObserver(std::make_shared<ChangeTotalVolumeVisualizationOptions>(context),
                            std::make_shared<Observers::ChangeTotalVolumeViewOptionsObserver>(context, mainWindow));
    case 7:
        return std::make_shared<MoveObject>(context);
    case 8:
        return withObserver(std::make_shared<ExtractFilm>(context),
                            std::make_shared<Observers::ExtractFilmObserver>(context, mainWindow));
    case 9:
        return withObserver(std::make_shared<SaveDocumentOperation>(context),
                            std::make_shared<Observers::DocumentSavedObserver>(context, mainWindow));
    case 10:
        return withObserver(std::make_shared<SaveDocumentAsOperation>(context),
                            std::make_shared<Observers::DocumentSavedObserver>(context, mainWindow));
    case 11: {
        auto open = std::make_shared<OpenDocumentOperation>(context);
        open->setMaterialConflictObserver(std::make_shared<Observers::MaterialConflictObserver>(mainWindow));
        return withObserver(open, std::make_shared<Observers::DocumentOpenedObserver>(context, mainWindow));
    }
    case 12:
        return withObserver(std::make_shared<GlueSubstrateOperation>(context),
                            std::make_shared<Observers::GlueSubstrateObserver>(context, mainWindow));
    case 16:
        return withObserver(std::make_shared<CutCellVolumeOperation>(context),
                            std::make_shared<Observers::CutCellVolumeObserver>(context, mainWindow));
    case 20:
        return withObserver(std::make_shared<PhotolithographyOperation>(context),
                            std::make_shared<Observers::PhotolithographyObserver>(context, mainWindow));
    case 24:
        if (!batchRunObserver)
            batchRunObserver = std::make_shared<Observers::BatchRunObserver>(context, mainWindow);
        return withObserver(std::make_shared<SelectVolumesOperation>(context), batchRunObserver);
    case 34:
        return withObserver(std::make_shared<MaskedCutCellVolumeOperation>(context),
                            std::make_shared<Observers::MaskedCutObserver>(context, mainWindow));
    case 35:
        return std::make_shared<RemoveCutsFromVolumeOperation>(context);
    case 36:
        return withObserver(std::make_shared<RandomWalkDopingOperation>(context),
                            std::make_shared<Observers::RandomWalkDopingObserver>(context, mainWindow));
    case 37:
        return withObserver(std::make_shared<ExportDataOperation>(context),
                            std::make_shared<Observers::ExportDataObserver>(context, mainWindow));
    case 1000: {
        auto extraction = std::make_shared<RunModelExtraction>(context);
        return withObserver(extraction,
                            std::make_shared<Observers::RunModelExtractionObserver>(context, mainWindow, extraction));
    }
    default:
        // 0, 5, 21, 25 and numbers outside the table; operations not built yet.
        return nullptr;
    }
}

} // namespace Ui
