#pragma once

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// Removal rate of a surface atom in the continuous wet etch, as a function of its
// neighbourhood: the bonded first neighbours split into saturated (four bonds, or fixed)
// and unsaturated ones, and the same for the second neighbours reached through them.
// Rates are in fills per unit of model time. The table is filled once, so the step
// looks a rate up instead of evaluating exponentials.
class WetEtchRates
{
public:
    static constexpr int maxFirst = 4;
    static constexpr int maxSecond = 12;

    // 30 % KOH at 70 degrees C, calibrated to the plane rates that Seidel et al. measured
    // (J. Electrochem. Soc. 137 (1990) 3612). An atom is held by its bonds: a bond to a bulk
    // (saturated) neighbour costs epsilonSaturated, one to a surface (unsaturated,
    // hydroxylated) neighbour the weaker epsilonUnsaturated; every second neighbour
    // strengthens the back bonds a little (etaSaturated, etaUnsaturated). With
    // E = epsilonU * uF + epsilonS * sF + etaU * uS + etaS * sS (in units of kT), the
    // rate is the saturating Arrhenius (Fermi) form r = 1 / (1 + exp(E - mu)). A (100)
    // atom (two bonds to bulk atoms; 2 unsaturated and 4 saturated second neighbours)
    // sits at r = 0.5, a (110) atom (bonds to two surface atoms and one bulk atom; 2 and
    // 5) at 0.645, a (111) atom (three bulk bonds; 6 and 3) at 0.00136; with monolayers
    // 0.35, 0.495 and 0.808 apart this gives plane rates (100) : (110) : (111) of
    // 0.797 : 1.455 : 0.005 um/min, while weakly held atoms (one bond) go at about 1.
    // See continuouswetetch.h for the time scale.
    static WetEtchRates koh();
    // The same rate for every atom that can be etched at all (zero stops the etch).
    static WetEtchRates constant(double rate);

    static constexpr double epsilonSaturated = 6.699;
    static constexpr double epsilonUnsaturated = 2.80;
    static constexpr double etaSaturated = 0.5;
    static constexpr double etaUnsaturated = 0.1;
    static constexpr double mu = 15.598;

    float rate(int uF, int sF, int uS, int sS) const { return table[index(uF, sF, uS, sS)]; }
    // Length per unit of model time by which a free (100) surface recedes: one monolayer
    // (a / 4) per 1 / rate of its atoms, each bonded to two bulk atoms below it and
    // reaching through them two surface and four bulk second neighbours (0, 2, 2, 4).
    double speed100() const;
    // The formula itself, for any counts.
    static double kohRate(int uF, int sF, int uS, int sS);

private:
    WetEtchRates();
    static int index(int uF, int sF, int uS, int sS)
    {
        return ((uF * (maxFirst + 1) + sF) * (maxSecond + 1) + uS) * (maxSecond + 1) + sS;
    }

    std::vector<float> table;
};

} // namespace Operations
} // namespace Core
