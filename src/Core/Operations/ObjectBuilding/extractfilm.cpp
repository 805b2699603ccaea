#include "Core/Operations/ObjectBuilding/extractfilm.h"

#include "Core/Operations/ObjectBuilding/volumebuilding.h"
#include "Core/Operations/operationcontext.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

ExtractFilm::ExtractFilm(OperationContext &context) : ObjectOperation("Extract Film", 8), context(context) {}

void ExtractFilm::execute()
{
    if (counter != 0)
        return;
    for (const Model::ObjectPtr &o : context.selectedObjects()) {
        if ((source = std::dynamic_pointer_cast<TotalVolume>(o)))
            break;
    }
    if (!source) {
        context.showMessage("Extract Film: select a cell volume and press Enter/Return.");
        context.interpreter.waitForEnter(this);
        context.setSelectionMode(true);
        return;
    }
    context.clearSelection();
    context.setSelectionMode(false);
    context.notifyUpdate();
    context.showMessage("Extract Film: cell volume selected.");
    counter = 1;
    notifyOptionsObserver();
    end();
}

void ExtractFilm::end()
{
    if (counter != 1 || !source || !materialChosen) {
        cancel();
        return;
    }
    counter = 2;
    const std::vector<uint32_t> ids = extractFilmMaterials(*source, materialId, flip);
    film = std::make_shared<TotalVolume>(source->getSizeX(), source->getSizeY(), source->getSizeZ(),
                                         source->getCellSizeX(), source->getCellSizeY(), source->getCellSizeZ(),
                                         source->getPosition(), ids);
    film->getPainter()->regenerate();
    const float cell = std::max({source->getCellSizeX(), source->getCellSizeY(), source->getCellSizeZ()});
    film->move(Util::Vector3D((double(source->getSizeX()) + 10.0) * cell, 0.0, 0.0));
    context.scene.add(film);
    context.notifyUpdate();
    context.showMessage("Extract Film: film extracted.");
    context.interpreter.reset();
    context.finishOperation();
}

void ExtractFilm::cancel()
{
    context.interpreter.reset();
    context.setSelectionMode(false);
    context.abandonOperation();
}

UndoResult ExtractFilm::undo()
{
    context.removeFromScene(film);
    context.notifyUpdate();
    return UndoResult::Undone;
}

void ExtractFilm::redo()
{
    if (film)
        context.scene.add(film);
    context.notifyUpdate();
}

} // namespace Operations
} // namespace Core
