#pragma once

#include "Core/Operations/AtomisticWetEtching/siwetetchengine.h"
#include "Core/Operations/ContinuousWetEtching/wetetchrates.h"

#include <limits>

namespace Core {
namespace Operations {

// Continuous-cellular-automaton silicon wet etch. Every candidate atom carries a fill
// (1 for a whole atom) that drops by rate x timeStep in each step, the rate depending on
// the atom's first- and second-shell neighbours (WetEtchRates); the atom goes when its
// fill is used up. An atom whose four bonds all hold atoms is not etched.
//
// Depth. The run lasts the model time in which a free (100) surface recedes by the
// depth: depth / WetEtchRates::speed100(), whatever else the scene holds, so a depth
// means the same on a plain surface as beside faster or slower features, and the planes
// keep the speeds of the rate table relative to one another.
//
// Time step. After each step (and after the surface search) every slab computes the
// rates of its next candidates from the states they will see and proposes the time
// until its first atom runs out (its smallest fill / rate); the run takes the smallest
// proposal, shortened for the last step so that the run ends exactly at its duration.
// So no atom ever loses more than its fill in a step, and every atom goes at the moment
// its fill runs out: the rates hold between the removals that change them, and a plane
// etches at its rate whatever the other atoms of the scene need. A step removes at
// least one atom (or ends the run); atoms that run out together go in the same step.
//
// Time scale (30 % KOH, 70 degrees C, WetEtchRates::koh()). A (100) surface loses one
// monolayer (a / 4, 0.1358 nm of real silicon) per 1 / r(100) units of model time; at
// 0.797 um/min one monolayer takes 10.2 ms, so one unit of model time is
// r(100) x 10.2 ms = 5.1 ms of etching (realSecondsPerModelTime()).
class ContinuousWetEtch final : public SiWetEtchEngine<ContinuousWetEtch>
{
public:
    ContinuousWetEtch(Model::Automaton::TotalVolume *volume, double depth,
                        const WetEtchRates &rates = WetEtchRates::koh());

    // Model time in which a free (100) surface recedes by `depth` under `rates`: depth /
    // rates.speed100(). None for a depth that is not positive; without end when the (100)
    // surface does not etch at all (the run then stops once no atom can etch).
    static double durationForDepth(double depth, const WetEtchRates &rates);
    static double realSecondsPerModelTime();

    void run() { runEngine(); }

    double getDepth() const { return depth; }
    // The model time this run lasts.
    double getDuration() const { return duration; }
    // The time step of the next step (or of the last one, after the run), and the model
    // time the run has etched so far.
    double getTimeStep() const { return timeStep; }
    double elapsedTime() const { return elapsed; }

private:
    friend class SiWetEtchEngine<ContinuousWetEtch>;

    bool decide(int32_t s, size_t i, uint32_t atom)
    {
        const float r = slabRates[static_cast<size_t>(s)][i];
        if (r <= 0.0f)
            return false;
        Model::Automaton::SiAtom &a = lattice->atom(atom);
        const double x = static_cast<double>(a.fill) - static_cast<double>(r) * timeStep;
        if (x < 1e-6) {
            a.fill = 0.0f;
            return true;
        }
        a.fill = static_cast<float>(x);
        return false;
    }
    void prepareStep();
    bool settled() const { return !etching; }

    void rateSlab(int32_t s);
    // First- and second-shell counts of a candidate: unsaturated and saturated each.
    void countShells(uint32_t atom, int *uF, int *sF, int *uS, int *sS) const;

    double depth;
    WetEtchRates rates;
    double duration;
    double timeStep = 0.0;
    double elapsed = 0.0;
    // The step about to run ends the run at `duration`.
    bool lastStep = false;
    bool etching = true;
    std::vector<std::vector<float>> slabRates;
    std::vector<double> slabTimeStep;
};

} // namespace Operations
} // namespace Core
