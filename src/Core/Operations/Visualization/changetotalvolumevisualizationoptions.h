#pragma once

#include "Core/Operations/processoperation.h"
#include "Model/Automaton/viewchoices.h"

#include <cstdint>

namespace Core {
namespace Operations {

// What a volume's painter draws: the lattice switches, the empty-cell outlines, the
// surface generator, and the field view's distribution and colour scale.
struct VisualizationOptions
{
    bool renderAtoms = false;
    bool renderSurfaceAtomsOnly = true;
    bool renderAtomLinks = false;
    bool renderUnitCells = false;
    bool renderUnitCellOutlines = false;
    bool emptyVoxelOutlines = false;
    Model::Automaton::SurfaceMode mode = Model::Automaton::SurfaceMode::DirectCubic;
    Model::Automaton::FieldDistribution distribution = Model::Automaton::FieldDistribution::TypeN;
    Model::Automaton::ColorScaleType colourScale = Model::Automaton::ColorScaleType::GrayScale;

    // The options a volume's painter holds now.
    static VisualizationOptions of(Model::Automaton::TotalVolume &volume);
    // Writes them into the painter in the order the painter expects (the switches, the
    // outlines, the generator, the distribution, the scale); the caller regenerates.
    void applyTo(Model::Automaton::TotalVolume &volume) const;
};

// "Change Visualization" (6): chooses one cell volume, lets its observer show the
// options, writes them into the volume's painter and refreshes the colours of every
// volume. Changes no cells and does not enter the history.
class ChangeTotalVolumeVisualizationOptions : public ProcessOperation
{
public:
    explicit ChangeTotalVolumeVisualizationOptions(OperationContext &context);

    void end() override;
    void cancel() override;

    // The chosen volume's current options (defaults before a volume is chosen).
    VisualizationOptions getOptions() const;
    void setOptions(const VisualizationOptions &options);
    bool areOptionsSet() const { return optionsSet; }

protected:
    bool parametersComplete() const override { return optionsSet; }
    void process() override {}

private:
    VisualizationOptions options;
    bool optionsSet = false;
};

} // namespace Operations
} // namespace Core
