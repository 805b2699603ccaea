#include "Core/BatchRun/filmprocesssteps.h"

#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdeposition.h"
#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetching.h"
#include "Core/Operations/Electrodeposition/electrodeposition.h"
#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdeposition.h"
#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetching.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhooddeposition.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetching.h"
#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordeposition.h"

#include <cmath>

namespace Ui {

using namespace Core::Operations;

namespace {

const QString keyMaterialId = QStringLiteral("Material_Id");
const QString keyThickness = QStringLiteral("Thickness");
const QString keyFilmThickness = QStringLiteral("Film Thickness");
const QString keyDepth = QStringLiteral("Depth");
const QString keyEtchDepth = QStringLiteral("Etch Depth");
const QString keyRatio = QStringLiteral("Horizontal to Vertical Ratio");
const QString keyDepositOn = QStringLiteral("DepositOn");
const QString keyConductingId = QStringLiteral("Conducting Material_Id");
const QString keyDepositedId = QStringLiteral("Deposited Material_Id");

constexpr int32_t largestCellCount = 999999999;

bool validLength(double value) { return std::isfinite(value) && value >= 0.0; }

// A Moore count is stored as a number of cells, possibly with a fraction.
bool cellCount(float value, int32_t *cells)
{
    if (!std::isfinite(value) || value < 0.0f || value > static_cast<float>(largestCellCount))
        return false;
    *cells = static_cast<int32_t>(value);
    return true;
}

// Reads the material and a length (by key) after whatever `read` has read already,
// checks them and runs `run(material, length)`.
template <class Run>
int32_t lengthStep(StepEnvironment &environment, const ProcessData &step, StepParameters &read,
                   const QString &lengthKey, Run run)
{
    const uint32_t material = read.toUInt(keyMaterialId);
    const float length = read.toFloat(lengthKey);
    if (read.result() != 0)
        return read.result();
    if (!validLength(length))
        return rejectStep(step, "the thickness or depth must be a number of 0 or more");
    if (StepParameters::checkOnly())
        return 0;
    run(material, length);
    environment.markLatticeStale(material);
    return 0;
}

template <class Automaton>
int32_t mooreStep(StepEnvironment &environment, const ProcessData &step, const QString &countKey)
{
    StepParameters read(step);
    const uint32_t material = read.toUInt(keyMaterialId);
    const float count = read.toFloat(countKey);
    if (read.result() != 0)
        return read.result();
    int32_t cells = 0;
    if (!cellCount(count, &cells))
        return rejectStep(step, "the number of cells must lie between 0 and 999999999");
    if (StepParameters::checkOnly())
        return 0;
    Automaton automaton(environment.volume.get(), material, cells);
    automaton.run();
    environment.markLatticeStale(material);
    return 0;
}

} // namespace

int32_t runMooreDepositionStep(StepEnvironment &environment, const ProcessData &step)
{
    return mooreStep<MooreNeighborhoodDeposition>(environment, step, keyThickness);
}

int32_t runMooreEtchingStep(StepEnvironment &environment, const ProcessData &step)
{
    return mooreStep<MooreNeighborhoodEtching>(environment, step, keyDepth);
}

int32_t runCvdStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    return lengthStep(environment, step, read, keyThickness, [&](uint32_t material, float thickness) {
        IsotropicFilmDeposition(environment.volume.get(), material, thickness).simulate();
    });
}

int32_t runIsotropicDepositionStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    return lengthStep(environment, step, read, keyFilmThickness, [&](uint32_t material, float thickness) {
        IsotropicFilmDeposition(environment.volume.get(), material, thickness).simulate();
    });
}

int32_t runIsotropicEtchingStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    return lengthStep(environment, step, read, keyDepth, [&](uint32_t material, float depth) {
        IsotropicFilmEtching(environment.volume.get(), material, depth).simulate();
    });
}

int32_t runElectroplatingStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const float thickness = read.toFloat(keyFilmThickness);
    const uint32_t conducting = read.toUInt(keyConductingId);
    const uint32_t deposited = read.toUInt(keyDepositedId);
    if (read.result() != 0)
        return read.result();
    if (!validLength(thickness))
        return rejectStep(step, "the thickness must be a number of 0 or more");
    if (StepParameters::checkOnly())
        return 0;
    Electrodeposition(environment.volume.get(), deposited, conducting, thickness).simulate();
    environment.markLatticeStale(deposited);
    return 0;
}

int32_t runPvdStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const uint32_t material = read.toUInt(keyMaterialId);
    const double thickness = read.toDouble(keyThickness);
    const double ratio = read.toDouble(keyRatio);
    const int32_t side = read.toInt(keyDepositOn);
    if (read.result() != 0)
        return read.result();
    if (!validLength(thickness) || !std::isfinite(ratio))
        return rejectStep(step, "the thickness and the ratio must be numbers, the thickness 0 or more");
    if (side < 1 || side > 3)
        return rejectStep(step, "the side must be 1 (top), 2 (bottom) or 3 (both)");
    if (StepParameters::checkOnly())
        return 0;
    SimplePhysicalVaporDeposition(environment.volume.get(), material, static_cast<float>(thickness),
                                  static_cast<float>(ratio), static_cast<DepositOn>(side))
        .simulate();
    environment.markLatticeStale(material);
    return 0;
}

int32_t runAnisotropicDepositionStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const float ratio = read.toFloat(keyRatio);
    if (!std::isfinite(ratio))
        read.markInvalid();
    return lengthStep(environment, step, read, keyFilmThickness, [&](uint32_t material, float thickness) {
        AnisotropicFilmDeposition(environment.volume.get(), material, thickness, ratio).simulate();
    });
}

int32_t runAnisotropicEtchingStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const float ratio = read.toFloat(keyRatio);
    if (!std::isfinite(ratio))
        read.markInvalid();
    return lengthStep(environment, step, read, keyEtchDepth, [&](uint32_t material, float depth) {
        AnisotropicFilmEtching(environment.volume.get(), material, depth, ratio).simulate();
    });
}

} // namespace Ui
