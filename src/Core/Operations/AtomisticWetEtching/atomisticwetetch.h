#pragma once

#include "Core/Operations/AtomisticWetEtching/siwetetchengine.h"

namespace Core {
namespace Operations {

// Anisotropic wet etch of crystalline silicon by bond counting. In every step each
// exposed silicon atom with at most two bonds is removed, and one with three bonds unless
// its bonded neighbours together hold at least nine further bonds (a fixed neighbour
// counting three). A (100) surface thus loses one monolayer (0.35 length units) per
// step while (111) planes, whose atoms have three bonds to fully bonded neighbours, stay.
class AtomisticWetEtch final : public SiWetEtchEngine<AtomisticWetEtch>
{
public:
    AtomisticWetEtch(Model::Automaton::TotalVolume *volume, double depth);

    // round(depth / 0.35), halves up; none for a depth that rounds to zero or less.
    static int64_t stepsForDepth(double depth);
    double getDepth() const { return depth; }

    void run() { runEngine(); }

private:
    friend class SiWetEtchEngine<AtomisticWetEtch>;

    bool decide(int32_t, size_t, uint32_t atom) const
    {
        const unsigned n = lattice->bondedCount(atom);
        if (n == 4)
            return false;
        return n < 3 || lattice->secondNeighbourSum(atom) < 9;
    }
    void prepareStep() {}
    // A step that removed nothing leaves the states as they were, so every later step
    // would remove nothing either.
    bool settled() const { return executedSteps > 0 && removedInLastStep() == 0; }

    double depth;
};

} // namespace Operations
} // namespace Core
