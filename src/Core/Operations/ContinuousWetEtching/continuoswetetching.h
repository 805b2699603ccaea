#pragma once

#include "Core/Operations/AtomisticSiWetEtching/siwetetchengine.h"
#include "Core/Operations/ContinuousWetEtching/wetetchrates.h"

#include <limits>

namespace Core {
namespace Operations {

// Continuous-cellular-automaton silicon wet etch. Every candidate atom carries a fill
// (1 for a whole atom) that drops by rate x timeStep in each step, the rate depending on
// the atom's first- and second-shell neighbours (WetEtchRates); the atom goes when its
// fill is used up. An atom whose four bonds all hold atoms is not etched.
//
// Time step. After each step (and after the surface search) every slab computes the
// rates of its next candidates from the states they will see and proposes 1 / (its
// largest rate); the run takes the smallest proposal, so no atom loses more than its
// whole fill in one step, and the quickest atoms go in a single step. An atom that needs
// n steps and part of another goes after n + 1, so a plane may etch slower than its
// rate by that rounding (measured on the principal planes, by about a third at most).
// The first step keeps the initial 0.1 (or less, should an atom need less).
//
// Time scale (30 % KOH, 70 degrees C, WetEtchRates::koh()). A (100) surface loses one
// monolayer (a / 4, 0.1358 nm of real silicon) per 1 / r(100) units of model time; at
// 0.797 um/min one monolayer takes 10.2 ms, so one unit of model time is
// r(100) x 10.2 ms = 5.1 ms of etching (realSecondsPerModelTime()). A free (100)
// surface loses one monolayer per step, as in the atomistic etch; where faster atoms
// are present, one per two steps.
class ContinuosWetEtching final : public SiWetEtchEngine<ContinuosWetEtching>
{
public:
    ContinuosWetEtching(Model::Automaton::TotalVolume *volume, double depth,
                        const WetEtchRates &rates = WetEtchRates::koh());

    // round(depth x 4), halves up; none for zero or less.
    static int64_t stepsForDepth(double depth);
    static double realSecondsPerModelTime();

    void run() { runEngine(); }

    double getDepth() const { return depth; }
    // The time step of the next step, and the model time the run has etched so far.
    double getTimeStep() const { return timeStep; }
    double elapsedTime() const { return elapsed; }

private:
    friend class SiWetEtchEngine<ContinuosWetEtching>;

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
    double timeStep = 0.1;
    double elapsed = 0.0;
    bool etching = true;
    std::vector<std::vector<float>> slabRates;
    std::vector<double> slabTimeStep;
};

} // namespace Operations
} // namespace Core
