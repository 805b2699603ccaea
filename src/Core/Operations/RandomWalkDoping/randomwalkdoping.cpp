#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"

#include "Model/Automaton/fieldpainter.h"

#include "Model/Process/processfactory.h"

#include <QDateTime>
#include <QtDebug>
#include <algorithm>
#include <cmath>
#include <limits>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

constexpr int32_t fieldSlots = static_cast<int32_t>(TotalVolume::particleFieldSlots);
constexpr int32_t stay = 6;
// Up to this many particles each one is drawn for; above it six binomial draws split the
// cell's particles.
constexpr int32_t perParticleLimit = 40;
constexpr uint32_t simpleDopingProcess = 13;
constexpr double twoPi = 6.283185307179586;
constexpr double third = static_cast<double>(0.33333334f);
// Counts below this have their binomial deviations tabled.
constexpr int32_t tabledCounts = 4096;

double deviation(int32_t n, double q)
{
    return std::sqrt((1.0 - q) * n * q);
}

std::vector<double> deviationTable(double q)
{
    std::vector<double> table(tabledCounts);
    for (int32_t n = 0; n < tabledCounts; ++n)
        table[static_cast<size_t>(n)] = deviation(n, q);
    return table;
}
constexpr float largestCount = 2147483520.0f; // the largest float below 2^31

// The smallest generator output r with r / 4294967295 >= limit, or 2^32 when none.
uint64_t outputLimit(double limit)
{
    uint64_t low = 0;
    uint64_t high = uint64_t(1) << 32;
    while (low < high) {
        const uint64_t middle = (low + high) / 2;
        if (static_cast<double>(middle) / 4294967295.0 >= limit)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

} // namespace

const QString &RandomWalkDoping::fieldNameN = Model::Automaton::FieldPainter::fieldNameN;
const QString &RandomWalkDoping::fieldNameP = Model::Automaton::FieldPainter::fieldNameP;

QString RandomWalkDoping::fieldNameFor(uint32_t dopantMaterial)
{
    return dopantMaterial == 14 ? fieldNameN : fieldNameP;
}

QString RandomWalkDoping::parameterProblem(float d, float h, float dt, float cs, float ct, float time)
{
    auto number = [](float v) { return std::isfinite(v) && v >= 0.0f; };
    if (!number(h) || !number(dt) || h == 0.0f || dt == 0.0f)
        return QStringLiteral("the cell size and the time step must be greater than 0.");
    if (!number(d) || !number(cs) || !number(ct) || !number(time))
        return QStringLiteral("the diffusion coefficient, the concentrations and the doping time must be numbers of 0 or more.");
    const float moving = d * dt * 6.0f / (h * h);
    if (!std::isfinite(moving) || moving > 1.0f)
        return QStringLiteral("the time step is too long for this cell size and diffusion coefficient (D x dt x 6 / h^2 exceeds 1).");
    if (!(h * h * h * cs < largestCount))
        return QStringLiteral("the surface concentration gives more particles per cell than can be counted.");
    if (!(time / dt < largestCount))
        return QStringLiteral("the doping time holds too many time steps.");
    return QString();
}

RandomWalkDoping::RandomWalkDoping(TotalVolume *volume, uint32_t dopantMaterial, float diffusionCoefficient,
                                   float cellSize, float timeStep, float surfaceConcentration,
                                   float dopingThreshold, std::optional<uint32_t> seed)
    : volume(volume),
      stayProbability(1.0f - diffusionCoefficient * timeStep * 6.0f / (cellSize * cellSize)),
      moveProbability((1.0f - stayProbability) / 6.0f), timeStep(timeStep), dopantMaterial(dopantMaterial),
      fieldName(fieldNameFor(dopantMaterial)), strideY(static_cast<int32_t>(volume->getSizeY())),
      strideZ(static_cast<int32_t>(volume->getSizeZ())),
      runnable(parameterProblem(diffusionCoefficient, cellSize, timeStep, surfaceConcentration,
                                dopingThreshold, 0.0f).isEmpty())
{
    if (runnable) {
        surfaceCount = static_cast<int32_t>(cellSize * cellSize * cellSize * surfaceConcentration);
        const float threshold = cellSize * cellSize * cellSize * dopingThreshold;
        thresholdCount = threshold < largestCount ? static_cast<int32_t>(threshold) : std::numeric_limits<int32_t>::max();
    }

    particleField = volume->particleField(fieldName);
    fieldCreated = particleField == nullptr;
    if (fieldCreated)
        particleField = volume->createParticleField(fieldName);

    const uint32_t base = seed ? *seed : static_cast<uint32_t>(QDateTime::currentSecsSinceEpoch());
    generators.emplace_back(base);

    for (uint32_t id : Model::Process::ProcessFactory::instance()->getProcess(simpleDopingProcess).compatibleMaterials) {
        if (id < dopableTable.size())
            dopableTable[id] = true;
        else
            dopableLarge.push_back(id);
    }
    std::sort(dopableLarge.begin(), dopableLarge.end());

    for (size_t k = 0; k < moveLimits.size(); ++k)
        moveLimits[k] = outputLimit(static_cast<double>(k + 1) * static_cast<double>(moveProbability));
    stayDeviations = deviationTable(stayProbability);
    thirdDeviations = deviationTable(third);
    halfDeviations = deviationTable(0.5);
}

int64_t RandomWalkDoping::stepsFor(float dopingTime) const
{
    const float steps = dopingTime / timeStep;
    if (!(steps > 0.0f))
        return 0;
    return steps < largestCount ? static_cast<int64_t>(steps) : 0;
}

bool RandomWalkDoping::dopable(uint32_t material) const
{
    if (material < dopableTable.size())
        return dopableTable[material];
    return std::binary_search(dopableLarge.begin(), dopableLarge.end(), material);
}

void RandomWalkDoping::dope(float dopingTime)
{
    Model::Automaton::VoxelLock lock(*volume);
    voxels = lock.voxels();
    const int64_t steps = runnable ? stepsFor(dopingTime) : 0;
    qDebug().nospace() << "Steps to run: " << steps;
    if (steps > 0) {
        initialize();
        for (int64_t i = 0; i < steps; ++i)
            step(generators[0]);
        finish();
    }
    voxels = nullptr;
}

void RandomWalkDoping::initialize()
{
    const size_t cells = volume->getCellCount();
    states.assign(cells, 0);
    for (size_t i = 0; i < cells; ++i) {
        int32_t *counts = particleField + i * fieldSlots;
        if (dopable(voxels[i].getMaterialId())) {
            voxels[i].setMarked(false);
            if (fieldCreated)
                std::fill(counts, counts + fieldSlots, 0);
        } else {
            voxels[i].setMarked(true);
            states[i] = stateMarked;
            std::fill(counts, counts + fieldSlots, 0);
        }
    }
    markSurfaces();
}

// A walking cell with an empty face neighbour inside the volume (no wrap) is a surface
// cell, where the particles enter.
void RandomWalkDoping::markSurfaces()
{
    const int64_t sx = volume->getSizeX();
    const int64_t sy = strideY;
    const int64_t sz = strideZ;
    const bool entering = surfaceCount > 0;
    for (int64_t x = 0; x < sx; ++x)
        for (int64_t y = 0; y < sy; ++y)
            for (int64_t z = 0; z < sz; ++z) {
                const size_t i = static_cast<size_t>((x * sy + y) * sz + z);
                uint8_t &state = states[i];
                if (state & stateMarked)
                    continue;
                state = 0;
                if (!entering)
                    continue;
                const bool open = (z > 0 && voxels[i - 1].getMaterialId() == 0) ||
                                  (z + 1 < sz && voxels[i + 1].getMaterialId() == 0) ||
                                  (y > 0 && voxels[i - sz].getMaterialId() == 0) ||
                                  (y + 1 < sy && voxels[i + sz].getMaterialId() == 0) ||
                                  (x > 0 && voxels[i - sy * sz].getMaterialId() == 0) ||
                                  (x + 1 < sx && voxels[i + sy * sz].getMaterialId() == 0);
                if (open)
                    state = stateSurface;
            }
}

// The gather of a cell reads the movers of its six neighbours and the distribution
// replaces them, so a layer is distributed once the layers on both sides have gathered:
// gather x, then distribute x - 1. Layer 0 is also read by the gather of the last layer
// (x wraps), which therefore reads a copy taken before layer 0 was distributed. The
// particles are drawn in cell-index order all the same, and each layer is still in the
// cache when it is distributed.
void RandomWalkDoping::step(Generator &generator)
{
    const int64_t sx = volume->getSizeX();
    const size_t layerCounts = static_cast<size_t>(strideY) * strideZ * fieldSlots;
    for (int64_t x = 0; x < sx; ++x) {
        const int64_t next = x + 1 == sx ? 0 : x + 1;
        const bool copied = x + 1 == sx && sx > 2;
        gatherLayer(x, copied ? firstLayer.data() : particleField + static_cast<size_t>(next) * layerCounts);
        if (x >= 1) {
            if (x == 1 && sx > 2)
                firstLayer.assign(particleField, particleField + layerCounts);
            distributeLayer(x - 1, generator);
        }
    }
    distributeLayer(sx - 1, generator);
    // A dopant of id 0 empties cells and so makes new surfaces for the next step.
    if (dopantMaterial == 0 && surfaceCount > 0)
        markSurfaces();
}

void RandomWalkDoping::gatherLayer(int64_t x, const int32_t *right)
{
    const int64_t sx = volume->getSizeX();
    const int64_t sy = strideY;
    const int64_t sz = strideZ;
    const int64_t row = sz * fieldSlots;
    const size_t layerCells = static_cast<size_t>(sy * sz);
    const int32_t *left = particleField + static_cast<size_t>(x == 0 ? sx - 1 : x - 1) * layerCells * fieldSlots;
    for (int64_t y = 0; y < sy; ++y) {
        const int64_t ym = y == 0 ? sy - 1 : y - 1;
        const int64_t yp = y + 1 == sy ? 0 : y + 1;
        const size_t first = static_cast<size_t>(x) * layerCells + static_cast<size_t>(y * sz);
        int32_t *counts = particleField + first * fieldSlots;
        const int32_t *layer = particleField + static_cast<size_t>(x) * layerCells * fieldSlots;
        const uint8_t *state = states.data() + first;
        // Slot l of the neighbour at offset l arrives here.
        const int32_t *fromFront = layer + ym * row + 2;
        const int32_t *fromBack = layer + yp * row + 3;
        const int32_t *fromLeft = left + y * row + 4;
        const int32_t *fromRight = right + y * row + 5;
        for (int64_t z = 0; z < sz; ++z) {
            if (state[z] & stateMarked)
                continue;
            const int64_t c = z * fieldSlots;
            int64_t n;
            if (state[z] & stateSurface) {
                n = surfaceCount;
            } else {
                n = int64_t(counts[c + stay]) + fromFront[c] + fromBack[c] + fromLeft[c] + fromRight[c];
                if (z > 0)
                    n += counts[c - fieldSlots + 0];
                if (z + 1 < sz)
                    n += counts[c + fieldSlots + 1];
            }
            counts[c + stay] = static_cast<int32_t>(std::min<int64_t>(n, std::numeric_limits<int32_t>::max()));
        }
    }
}

void RandomWalkDoping::distributeLayer(int64_t x, Generator &generator)
{
    const size_t layerCells = static_cast<size_t>(strideY) * strideZ;
    const size_t begin = static_cast<size_t>(x) * layerCells;
    const size_t end = begin + layerCells;
    const uint8_t *state = states.data();
    const uint64_t l0 = moveLimits[0], l1 = moveLimits[1], l2 = moveLimits[2], l3 = moveLimits[3],
                   l4 = moveLimits[4], l5 = moveLimits[5];
    const double stayQ = stayProbability;
    for (size_t i = begin; i < end; ++i) {
        if (state[i] & stateMarked)
            continue;
        int32_t *counts = particleField + i * fieldSlots;
        const int32_t n = counts[stay];
        if (n <= perParticleLimit) {
            // reached[k]: the particles whose number reaches moveLimits[k]; a particle
            // goes to the slot counting the limits it reaches.
            uint32_t reached0 = 0, reached1 = 0, reached2 = 0, reached3 = 0, reached4 = 0, reached5 = 0;
            for (size_t left = static_cast<size_t>(n); left > 0;) {
                size_t taken = 0;
                const uint32_t *numbers = generator.take(left, &taken);
                for (size_t p = 0; p < taken; ++p) {
                    const uint64_t r = numbers[p];
                    reached0 += r >= l0;
                    reached1 += r >= l1;
                    reached2 += r >= l2;
                    reached3 += r >= l3;
                    reached4 += r >= l4;
                    reached5 += r >= l5;
                }
                left -= taken;
            }
            counts[0] = n - static_cast<int32_t>(reached0);
            counts[1] = static_cast<int32_t>(reached0 - reached1);
            counts[2] = static_cast<int32_t>(reached1 - reached2);
            counts[3] = static_cast<int32_t>(reached2 - reached3);
            counts[4] = static_cast<int32_t>(reached3 - reached4);
            counts[5] = static_cast<int32_t>(reached4 - reached5);
            counts[stay] = static_cast<int32_t>(reached5);
        } else {
            const int32_t staying = binomial(generator, n, stayQ, stayDeviations);
            const int32_t rest = n - staying;
            const int32_t a = binomial(generator, rest, third, thirdDeviations);
            const int32_t b = binomial(generator, rest - a, 0.5, halfDeviations);
            const int32_t c = rest - a - b;
            counts[0] = binomial(generator, a, 0.5, halfDeviations);
            counts[1] = a - counts[0];
            counts[2] = binomial(generator, b, 0.5, halfDeviations);
            counts[3] = b - counts[2];
            counts[4] = binomial(generator, c, 0.5, halfDeviations);
            counts[5] = c - counts[4];
            counts[stay] = staying;
        }
        // The cell's whole count, not only the particles that stay, is its concentration.
        if (n > thresholdCount)
            voxels[i].setMaterialId(dopantMaterial);
    }
}

// Normal approximation of a binomial draw, rounded half up and redrawn until it lies in
// 0..n. Deviates come in Box-Muller pairs; the second of a pair serves the first redraw.
int32_t RandomWalkDoping::binomial(Generator &generator, int32_t n, double q, const std::vector<double> &deviations)
{
    const double mean = n * q;
    const double spread = n < tabledCounts ? deviations[static_cast<size_t>(n)] : deviation(n, q);
    constexpr double scale = 1.0 / 4294967296.0;
    bool spare = false;
    double radius = 0.0;
    double angle = 0.0;
    for (;;) {
        double z;
        if (spare) {
            z = radius * std::sin(angle);
            spare = false;
        } else {
            double u1;
            do
                u1 = static_cast<double>(generator()) * scale;
            while (!(u1 < 1.0));
            double u2;
            do
                u2 = static_cast<double>(generator()) * scale;
            while (!(u2 < 1.0));
            radius = std::sqrt(-2.0 * std::log(1.0 - u2));
            angle = twoPi * u1;
            z = radius * std::cos(angle);
            spare = true;
        }
        const double k = std::floor(mean + spread * z + 0.5);
        if (k >= 0.0 && k <= n)
            return static_cast<int32_t>(k);
    }
}

void RandomWalkDoping::finish()
{
    const size_t cells = volume->getCellCount();
    for (size_t i = 0; i < cells; ++i)
        if (!dopable(voxels[i].getMaterialId()))
            std::fill(particleField + i * fieldSlots, particleField + (i + 1) * fieldSlots, 0);
}

} // namespace Operations
} // namespace Core
