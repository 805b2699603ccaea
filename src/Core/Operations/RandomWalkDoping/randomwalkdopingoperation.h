#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <optional>

namespace Core {
namespace Operations {

// Random-walk doping of the chosen volume. It runs only when all seven parameters are
// set, and refuses (saying why) values the walk cannot simulate. Doping turns silicon
// into another material, so the volume's silicon lattice goes stale.
class RandomWalkDopingOperation : public UndoableProcessOperation
{
public:
    explicit RandomWalkDopingOperation(OperationContext &context);

    // SI units: m^2/s, m, s, m^-3, m^-3, s.
    void setDopantMaterial(uint32_t value) { dopantMaterial = value; }
    void setDiffusionCoefficient(float value) { diffusionCoefficient = value; }
    void setCellSize(float value) { cellSize = value; }
    void setTimeStep(float value) { timeStep = value; }
    void setSurfaceConcentration(float value) { surfaceConcentration = value; }
    void setDopingThreshold(float value) { dopingThreshold = value; }
    void setDopingTime(float value) { dopingTime = value; }
    // A fixed seed makes the walk repeatable; without one it is seeded from the clock.
    void setSeed(uint32_t value) { seed = value; }

    uint32_t getDopantMaterial() const { return dopantMaterial.value_or(0); }
    float getDiffusionCoefficient() const { return diffusionCoefficient.value_or(0); }
    float getCellSize() const { return cellSize.value_or(0); }
    float getTimeStep() const { return timeStep.value_or(0); }
    float getSurfaceConcentration() const { return surfaceConcentration.value_or(0); }
    float getDopingThreshold() const { return dopingThreshold.value_or(0); }
    float getDopingTime() const { return dopingTime.value_or(0); }

    void end() override;

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override;
    void process() override;
    bool marksLatticeStale() const override { return true; }

private:
    bool allSet() const;

    std::optional<uint32_t> dopantMaterial;
    std::optional<float> diffusionCoefficient;
    std::optional<float> cellSize;
    std::optional<float> timeStep;
    std::optional<float> surfaceConcentration;
    std::optional<float> dopingThreshold;
    std::optional<float> dopingTime;
    std::optional<uint32_t> seed;
};

} // namespace Operations
} // namespace Core
