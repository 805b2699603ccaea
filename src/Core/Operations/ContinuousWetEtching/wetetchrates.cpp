#include "Core/Operations/ContinuousWetEtching/wetetchrates.h"

#include "Model/Automaton/silattice.h"

#include <cmath>

namespace Core {
namespace Operations {

WetEtchRates::WetEtchRates()
    : table(static_cast<size_t>((maxFirst + 1) * (maxFirst + 1) * (maxSecond + 1) * (maxSecond + 1)), 0.0f)
{
}

double WetEtchRates::kohRate(int uF, int sF, int uS, int sS)
{
    const double e = epsilonUnsaturated * uF + epsilonSaturated * sF + etaUnsaturated * uS + etaSaturated * sS;
    return 1.0 / (1.0 + std::exp(e - mu));
}

WetEtchRates WetEtchRates::koh()
{
    WetEtchRates rates;
    for (int uF = 0; uF <= maxFirst; ++uF)
        for (int sF = 0; sF <= maxFirst; ++sF)
            for (int uS = 0; uS <= maxSecond; ++uS)
                for (int sS = 0; sS <= maxSecond; ++sS)
                    rates.table[static_cast<size_t>(index(uF, sF, uS, sS))] =
                        static_cast<float>(kohRate(uF, sF, uS, sS));
    return rates;
}

double WetEtchRates::speed100() const
{
    const double monolayer = static_cast<double>(Model::Automaton::SiLattice::latticeConstant) * 0.25;
    return static_cast<double>(rate(0, 2, 2, 4)) * monolayer;
}

WetEtchRates WetEtchRates::constant(double rate)
{
    WetEtchRates rates;
    for (float &r : rates.table)
        r = static_cast<float>(rate);
    return rates;
}

} // namespace Operations
} // namespace Core
