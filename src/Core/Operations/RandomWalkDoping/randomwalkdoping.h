#pragma once

#include "Core/Operations/RandomWalkDoping/mersennetwister.h"
#include "Model/Automaton/totalvolume.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace Core {
namespace Operations {

// Dopant diffusion as a random walk of particles from cell to cell. Cells next to an
// empty cell hold a fixed number of particles (the surface concentration); every step
// each particle of a dopable cell stays or moves to one of its six face neighbours.
// Particles that leave through the bottom or top face, or into a cell that is not
// dopable, are lost; x and y are periodic. A cell whose count exceeds the threshold
// becomes the dopant material.
//
// The counts live in a particle-count field of the volume, seven per cell: slots 0..5
// the particles that left in the last step towards -z, +z, -y, +y, -x, +x, slot 6 the
// ones that stayed. A field of the same dopant type left by an earlier run is continued.
//
// Lengths in metres, times in seconds, concentrations in particles per cubic metre.
class RandomWalkDoping
{
public:
    // The volume's particle-count fields, named where the field view reads them.
    static const QString &fieldNameN; // dopant material 14
    static const QString &fieldNameP; // every other dopant
    static QString fieldNameFor(uint32_t dopantMaterial);

    // Why the values cannot be simulated, or an empty text when they can: the cell size
    // and time step must be positive, the rest not negative, D x dt x 6 / h^2 at most 1
    // (the stay probability is a probability), and the counts must fit 32 bits.
    static QString parameterProblem(float diffusionCoefficient, float cellSize, float timeStep,
                                    float surfaceConcentration, float dopingThreshold, float dopingTime);

    // Finds or creates the volume's field. Without a seed the generator is seeded with
    // the current time in seconds.
    RandomWalkDoping(Model::Automaton::TotalVolume *volume, uint32_t dopantMaterial,
                     float diffusionCoefficient, float cellSize, float timeStep,
                     float surfaceConcentration, float dopingThreshold,
                     std::optional<uint32_t> seed = std::nullopt);

    // Runs dopingTime / timeStep steps with the cells locked. Values that
    // parameterProblem() rejects run no step.
    void dope(float dopingTime);

    float getStayProbability() const { return stayProbability; }
    float getMoveProbability() const { return moveProbability; }
    int32_t getSurfaceCount() const { return surfaceCount; }
    int32_t getThresholdCount() const { return thresholdCount; }
    const QString &getFieldName() const { return fieldName; }
    bool isFieldCreated() const { return fieldCreated; }
    int32_t *getParticleField() const { return particleField; }
    // Steps dope(dopingTime) runs: the quotient in single precision, truncated.
    int64_t stepsFor(float dopingTime) const;

private:
    using Generator = MersenneTwister;

    void initialize();
    void step(Generator &generator);
    void finish();

    // The two passes over one x layer; `right` is the field of the layer at x + 1.
    void gatherLayer(int64_t x, const int32_t *right);
    void distributeLayer(int64_t x, Generator &generator);
    void markSurfaces();
    bool dopable(uint32_t material) const;
    // Bin(n, q); `deviations` holds sqrt((1 - q) n q) for the small n.
    int32_t binomial(Generator &generator, int32_t n, double q, const std::vector<double> &deviations);

    Model::Automaton::TotalVolume *volume;
    Model::Automaton::Voxel *voxels = nullptr;
    float stayProbability;
    float moveProbability;
    float timeStep;
    uint32_t dopantMaterial;
    int32_t surfaceCount = 0;
    int32_t thresholdCount = 0;
    int32_t *particleField = nullptr;
    QString fieldName;
    int32_t strideY;
    int32_t strideZ;
    std::vector<Generator> generators;
    bool fieldCreated = false;

    bool runnable;
    // Per cell: stateMarked for cells the walk skips, stateSurface for cells next to an
    // empty cell (when particles enter at all). Kept apart from the voxels so the two
    // passes read one byte per cell.
    enum : uint8_t { stateMarked = 1, stateSurface = 2 };
    std::vector<uint8_t> states;
    // The counts layer 0 had before its distribution, for the gather of the last layer.
    std::vector<int32_t> firstLayer;
    // Dopable material ids: a table for the small ids, a sorted list for the rest.
    std::array<bool, 256> dopableTable{};
    std::vector<uint32_t> dopableLarge;
    // A particle with generator output r goes to the slot counting the limits r reaches:
    // r < moveLimits[k] is u < (k + 1) x moveProbability with u = r / 4294967295.
    std::array<uint64_t, 6> moveLimits{};
    // Standard deviations of the binomial draws with the stay probability, 1/3 and 1/2.
    std::vector<double> stayDeviations;
    std::vector<double> thirdDeviations;
    std::vector<double> halfDeviations;
};

} // namespace Operations
} // namespace Core
