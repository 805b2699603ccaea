#include "UI/operationfactory.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/Document/savedocumentasoperation.h"
#include "Core/Operations/Document/savedocumentoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Observers/createsubstrateobserver.h"
#include "UI/Observers/documentopenedobserver.h"
#include "UI/Observers/documentsavedobserver.h"
#include "UI/Observers/materialconflictobserver.h"

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
    switch (typeId) {
    case 2:
        return withObserver(std::make_shared<CreateSubstrateOperation>(context),
                            std::make_shared<Observers::CreateSubstrateObserver>(context, mainWindow));
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
    default:
        // 0, 5, 21, 25 and numbers outside the table; operations not built yet.
        return nullptr;
    }
}

} // namespace Ui
