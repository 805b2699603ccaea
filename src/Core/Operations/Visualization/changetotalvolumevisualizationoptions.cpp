#include "Core/Operations/Visualization/changetotalvolumevisualizationoptions.h"

#include "Model/Automaton/silatticerenderer.h"
#include "Model/Automaton/totalvolumepainter.h"

namespace Core {
namespace Operations {

VisualizationOptions VisualizationOptions::of(Model::Automaton::TotalVolume &volume)
{
    const Model::Automaton::TotalVolumePainter &painter = *volume.getPainter();
    const Model::Automaton::SiLatticeRenderer &lattice = painter.getLatticeRenderer();
    VisualizationOptions o;
    o.renderAtoms = lattice.getRenderAtoms();
    o.renderSurfaceAtomsOnly = lattice.getRenderSurfaceAtomsOnly();
    o.renderAtomLinks = lattice.getRenderAtomLinks();
    o.renderUnitCells = lattice.getRenderUnitCells();
    o.renderUnitCellOutlines = lattice.getRenderUnitCellOutlines();
    o.emptyVoxelOutlines = painter.getEmptyVoxelOutlines();
    o.mode = painter.getMode();
    o.distribution = painter.getDistribution();
    o.colourScale = painter.getColorScale();
    return o;
}

void VisualizationOptions::applyTo(Model::Automaton::TotalVolume &volume) const
{
    Model::Automaton::TotalVolumePainter &painter = *volume.getPainter();
    painter.setRenderAtoms(renderAtoms);
    painter.setRenderSurfaceAtomsOnly(renderSurfaceAtomsOnly);
    painter.setRenderAtomLinks(renderAtomLinks);
    painter.setRenderUnitCells(renderUnitCells);
    painter.setRenderUnitCellOutlines(renderUnitCellOutlines);
    painter.setEmptyVoxelOutlines(emptyVoxelOutlines);
    painter.setMode(mode);
    painter.setDistribution(distribution);
    painter.setColorScale(colourScale);
}

ChangeTotalVolumeVisualizationOptions::ChangeTotalVolumeVisualizationOptions(OperationContext &context)
    : ProcessOperation(context, "Change Visualization", 6)
{
}

VisualizationOptions ChangeTotalVolumeVisualizationOptions::getOptions() const
{
    return volume ? VisualizationOptions::of(*volume) : VisualizationOptions();
}

void ChangeTotalVolumeVisualizationOptions::setOptions(const VisualizationOptions &o)
{
    options = o;
    optionsSet = true;
}

void ChangeTotalVolumeVisualizationOptions::end()
{
    if (!volumeChosen || !volume || !optionsSet) {
        cancel();
        return;
    }
    options.applyTo(*volume);
    volume->getPainter()->regenerate();
    // Material colours may have changed: every volume shows the catalogue's colours.
    for (const Model::ObjectPtr &object : context.scene.objects())
        if (auto v = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object))
            v->getPainter()->refreshColors();
    context.notifyUpdate();
    context.showMessage(getName() + ": Options changed.");
    context.interpreter.reset();
    context.finishOperation();
}

void ChangeTotalVolumeVisualizationOptions::cancel()
{
    context.showMessage(getName() + ": Operation Canceled!");
    context.interpreter.reset();
    context.abandonOperation();
}

} // namespace Operations
} // namespace Core
