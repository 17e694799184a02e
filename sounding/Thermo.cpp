#include "sounding/Thermo.h"

#include <cmath>
#include <limits>

namespace sounding {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

double SaturationVapourPressure(double) { return kNaN; }
double MixingRatio(double, double) { return kNaN; }
double DewPointOfMixingRatio(double, double) { return kNaN; }
double PotentialTemperature(double T, double P) { return (T + kZeroCelsius) * std::pow(1000.0 / P, kKappa); }
double DryAdiabatTemperature(double ThetaK, double P) { return ThetaK * std::pow(P / 1000.0, kKappa) - kZeroCelsius; }
double EquivalentPotentialTemperature(double, double, double) { return kNaN; }
double VirtualTemperature(double T, double, double) { return T; }
TLcl LiftingCondensationLevel(double, double, double) { return {kNaN, kNaN}; }
double MoistAdiabatTemperature(double, double, double) { return kNaN; }

}  // namespace sounding
