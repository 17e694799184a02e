// The moist thermodynamics against the columns the Wyoming pages print for
// every level (mixing ratio, potential, equivalent potential and virtual
// potential temperature), and the saturated adiabats against their
// defining property.

#include "analysis/Thermo.h"

#include "WyomingIndices.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace sounding;

namespace {

std::string WyomingPage(int Month)
{
    char name[64];
    std::snprintf(name, sizeof name, "/wyoming_94610_2016_%02d.html", Month);
    return testfiles::Slurp(std::string(PROFILORA_DATA_DIR) + name);
}

// Whether Want lies within what the inputs allow: the page prints its
// inputs rounded to 0.1 (C, hPa) and the result to Half a step.
template <class F>
bool WithinRounding(F Value, double T, double Td, double P, double Want, double Half)
{
    double lo = 1e300, hi = -1e300;
    for (double dt : {-0.05, 0.05})
        for (double dd : {-0.05, 0.05})
            for (double dp : {-0.05, 0.05}) {
                const double v = Value(T + dt, Td + dd, P + dp);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
    return Want >= lo - Half - 1e-9 && Want <= hi + Half + 1e-9;
}

TEST(Thermo, levelColumnsOfTheWyomingPages)
{
    struct TCheck {
        const char* Name;
        double Half;  // half the printed step
        int Within = 0, Count = 0;
    };
    TCheck checks[] = {{"mixing ratio", 0.005}, {"theta", 0.05}, {"theta-e", 0.05}, {"theta-v", 0.05}};
    const auto theta = [](double T, double, double P) { return PotentialTemperature(T, P); };
    const auto mixing = [](double, double Td, double P) { return MixingRatio(Td, P); };
    const auto thetaE = [](double T, double Td, double P) { return EquivalentPotentialTemperature(T, Td, P); };
    const auto thetaV = [](double T, double Td, double P) {
        return PotentialTemperature(VirtualTemperature(T, Td, P), P);
    };
    for (int month = 1; month <= 12; ++month) {
        for (const auto& [title, launch] : wyoming::ReadLaunches(WyomingPage(month))) {
            for (const wyoming::TRow& r : launch.Rows) {
                if (std::isnan(r.DewPoint) || std::isnan(r.MixingRatio)) continue;
                const bool ok[] = {WithinRounding(mixing, r.Temperature, r.DewPoint, r.Pressure, r.MixingRatio, 0.005),
                                   WithinRounding(theta, r.Temperature, r.DewPoint, r.Pressure, r.Theta, 0.05),
                                   WithinRounding(thetaE, r.Temperature, r.DewPoint, r.Pressure, r.ThetaE, 0.05),
                                   WithinRounding(thetaV, r.Temperature, r.DewPoint, r.Pressure, r.ThetaV, 0.05)};
                for (int i = 0; i < 4; ++i) {
                    ++checks[i].Count;
                    checks[i].Within += ok[i];
                }
            }
        }
    }
    for (const TCheck& c : checks) {
        ASSERT_GT(c.Count, 50000) << c.Name;
        EXPECT_GE(c.Within, 0.999 * c.Count) << c.Name << ": " << c.Within << " of " << c.Count;
    }
}

TEST(Thermo, inversesAndAdiabats)
{
    struct TCase {
        double T, Td, P;
    } cases[] = {{30, 25, 1000}, {19.2, 9.2, 1015}, {-10, -25, 700}, {-40, -50, 300}, {5, 5, 850}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.P);
        // A mixing-ratio line passes through the dew point.
        EXPECT_NEAR(DewPointOfMixingRatio(MixingRatio(c.Td, c.P), c.P), c.Td, 1e-6);
        // The LCL lies on the dry adiabat and on the mixing-ratio line of the air.
        const TLcl lcl = LiftingCondensationLevel(c.T, c.Td, c.P);
        EXPECT_NEAR(PotentialTemperature(lcl.Temperature, lcl.Pressure), PotentialTemperature(c.T, c.P), 1e-6);
        EXPECT_NEAR(DewPointOfMixingRatio(MixingRatio(c.Td, c.P), lcl.Pressure), lcl.Temperature, 0.15);
        // The saturated adiabat keeps the equivalent potential temperature.
        const double thetaE = EquivalentPotentialTemperature(lcl.Temperature, lcl.Temperature, lcl.Pressure);
        for (double p : {lcl.Pressure + 50, lcl.Pressure - 200, 100.0}) {
            const double t = MoistAdiabatTemperature(lcl.Temperature, lcl.Pressure, p);
            EXPECT_NEAR(EquivalentPotentialTemperature(t, t, p), thetaE, 1e-3) << p;
            // Above the LCL the latent heat keeps the parcel warmer than the dry adiabat.
            const double dry = DryAdiabatTemperature(PotentialTemperature(lcl.Temperature, lcl.Pressure), p);
            if (p < lcl.Pressure) {
                EXPECT_GT(t, dry) << p;
            }
        }
    }
    EXPECT_TRUE(std::isnan(DewPointOfMixingRatio(0, 500)));
    EXPECT_TRUE(std::isnan(MixingRatio(120, 500)));  // saturation beyond the air's pressure
}

}  // namespace
