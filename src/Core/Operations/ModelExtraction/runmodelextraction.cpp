#include "Core/Operations/ModelExtraction/runmodelextraction.h"

#include "Core/Operations/operationcontext.h"
#include "Model/ModelExtraction/blockdecomposition.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"

namespace Core {
namespace Operations {

using Model::ModelExtraction::ExtractedModel;

RunModelExtraction::RunModelExtraction(OperationContext &context)
    : Operation("Extract Model", 1000), context(context)
{
}

void RunModelExtraction::execute()
{
    if (step != 0)
        return;
    for (const Model::ObjectPtr &o : context.selectedObjects()) {
        if ((volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(o)))
            break;
    }
    if (volume) {
        context.clearSelection();
        context.setSelectionMode(false);
        context.notifyUpdate();
        chooseVolume();
        return;
    }
    const std::vector<Model::ObjectPtr> objects = context.scene.objects();
    if (objects.size() == 1) {
        volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(objects.front());
        if (!volume) {
            cancel();
            return;
        }
        context.setSelectionMode(false);
        chooseVolume();
        return;
    }
    context.showMessage("Model Extraction: Select a cell volume and press Enter/Return.");
    context.interpreter.waitForEnter(this);
    context.setSelectionMode(true);
}

void RunModelExtraction::chooseVolume()
{
    context.showMessage("Model Extraction: Cell volume selected.");
    step = 1;
    notifyOptionsObserver();
}

void RunModelExtraction::preprocess()
{
    if (step != 1 || preprocessed)
        return;
    preprocessed = true;
    volume->getPainter()->setHidden(true);
    blocks = Model::ModelExtraction::BlockDecomposition::decompose(*volume);
    blockModel = std::make_shared<ExtractedModel>(blocks);
    context.scene.add(blockModel);
    context.notifyUpdate();
}

void RunModelExtraction::detectFeatures()
{
    if (step != 1 || !preprocessed || featuresDetected)
        return;
    featuresDetected = true;
    Model::ModelExtraction::CantileverModelRule rule(
        Model::ModelExtraction::CellLengths::of(*volume, micrometresPerUnit));
    structure = std::dynamic_pointer_cast<Model::ModelExtraction::CantileverStructure>(rule.apply(blocks));
    if (!structure)
        return;
    beamModel = std::make_shared<ExtractedModel>(rule.getBeams());
    beamModel->move(Util::Vector3D(volume->getCellSizeX() * (static_cast<double>(volume->getSizeX()) + 10), 0, 0));
    context.scene.add(beamModel);
    context.notifyUpdate();
}

QString RunModelExtraction::netlist() const
{
    return structure ? structure->netlist() : QString();
}

QString RunModelExtraction::netlistProblem() const
{
    return structure ? structure->problem() : QString();
}

bool RunModelExtraction::setMicrometresPerUnit(double micrometres)
{
    if (!Model::ModelExtraction::CellLengths::validMicrometresPerUnit(micrometres))
        return false;
    micrometresPerUnit = micrometres;
    if (structure && volume)
        structure->setCellLengths(Model::ModelExtraction::CellLengths::of(*volume, micrometresPerUnit));
    return true;
}

void RunModelExtraction::restoreScene()
{
    if (blockModel)
        context.removeFromScene(blockModel);
    if (beamModel)
        context.removeFromScene(beamModel);
    if (volume)
        volume->getPainter()->setHidden(false);
    context.notifyUpdate();
}

void RunModelExtraction::end()
{
    if (step == 0) {
        cancel();
        return;
    }
    if (step != 1)
        return;
    step = 2;
    restoreScene();
    context.showMessage("Model Extraction: Model extracted.");
    context.interpreter.reset();
    context.finishOperation();
}

void RunModelExtraction::cancel()
{
    // A second cancel (or one after end) must not abandon whatever operation runs now.
    if (step == 2)
        return;
    const bool dialogOpen = step == 1;
    step = 2;
    if (dialogOpen) {
        if (closeDialogObserver)
            closeDialogObserver->update();
        restoreScene();
    }
    context.showMessage(getName() + ": Operation canceled.");
    context.interpreter.reset();
    context.abandonOperation();
}

} // namespace Operations
} // namespace Core
