#include "Core/Operations/ContinuousWetEtching/continuouswetetch.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Core {
namespace Operations {

ContinuousWetEtch::ContinuousWetEtch(Model::Automaton::TotalVolume *volume, double depth,
                                         const WetEtchRates &rates)
    // The run ends by time, not by a count of steps.
    : SiWetEtchEngine(volume, std::numeric_limits<int64_t>::max()), depth(depth), rates(rates),
      duration(durationForDepth(depth, rates))
{
    slabRates.resize(static_cast<size_t>(slabCount));
    slabTimeStep.assign(static_cast<size_t>(slabCount), std::numeric_limits<double>::infinity());
}

double ContinuousWetEtch::durationForDepth(double depth, const WetEtchRates &rates)
{
    if (!(depth > 0.0))
        return 0.0;
    const double speed = rates.speed100();
    return speed > 0.0 ? depth / speed : std::numeric_limits<double>::infinity();
}

double ContinuousWetEtch::realSecondsPerModelTime()
{
    const double monolayerNm = 0.5431 / 4;         // a / 4 of silicon
    const double rate100NmPerSecond = 797.0 / 60; // 0.797 um/min
    return WetEtchRates::kohRate(0, 2, 2, 4) * monolayerNm / rate100NmPerSecond;
}

void ContinuousWetEtch::prepareStep()
{
    if (executedSteps > 0)
        elapsed = lastStep ? duration : elapsed + timeStep;
    etching = elapsed < duration;
    if (!etching)
        return;
    slabs.run([this](int32_t s) { rateSlab(s); });
    double proposal = std::numeric_limits<double>::infinity();
    for (double t : slabTimeStep)
        proposal = std::min(proposal, t);
    if (!std::isfinite(proposal)) {
        // No atom can etch any more: the rest of the run would change nothing.
        if (std::isfinite(duration))
            elapsed = duration;
        etching = false;
        return;
    }
    lastStep = proposal >= duration - elapsed;
    timeStep = lastStep ? duration - elapsed : proposal;
}

void ContinuousWetEtch::rateSlab(int32_t s)
{
    const size_t slab = static_cast<size_t>(s);
    std::vector<uint32_t> &candidates = surfaceAtoms[slab];
    std::vector<float> &r = slabRates[slab];
    r.clear();
    double best = std::numeric_limits<double>::infinity();
    size_t kept = 0;
    for (uint32_t a : candidates) {
        if (lattice->stateOf(a) != Present)
            continue;
        candidates[kept++] = a;
        int uF, sF, uS, sS;
        countShells(a, &uF, &sF, &uS, &sS);
        const float rate = uF + sF == 4 ? 0.0f : rates.rate(uF, sF, uS, sS);
        r.push_back(rate);
        // The time until this atom's fill runs out.
        if (rate > 0.0f)
            best = std::min(best, static_cast<double>(lattice->atom(a).fill) / static_cast<double>(rate));
    }
    candidates.resize(kept);
    slabTimeStep[slab] = best;
}

void ContinuousWetEtch::countShells(uint32_t atom, int *uF, int *sF, int *uS, int *sS) const
{
    int u1 = 0, s1 = 0, u2 = 0, s2 = 0;
    const Model::Automaton::SiAtom &a = lattice->atom(atom);
    for (int j = 0; j < 4; ++j) {
        const uint32_t n = a.neighbours[j];
        // Only atoms that are there hold this one; an etched neighbour is no bond.
        if (n == SiAtom::none)
            continue;
        const uint8_t state = lattice->stateOf(n);
        if (state == Absent)
            continue;
        const Model::Automaton::SiAtom &first = lattice->atom(n);
        if (state == Fixed || lattice->heldSlots(first) == 4)
            ++s1;
        else
            ++u1;
        for (int k = 0; k < 4; ++k) {
            const uint32_t m = first.neighbours[k];
            if (k == 3 - j || m == SiAtom::none)
                continue;
            const uint8_t second = lattice->stateOf(m);
            if (second == Absent)
                continue;
            if (second == Fixed || lattice->heldSlots(lattice->atom(m)) == 4)
                ++s2;
            else
                ++u2;
        }
    }
    *uF = u1;
    *sF = s1;
    *uS = u2;
    *sS = s2;
}

} // namespace Operations
} // namespace Core
