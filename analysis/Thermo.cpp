#include "analysis/Thermo.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sounding {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kEpsilon = 0.62197;  // molar mass of water over that of dry air

// Bolton's equivalent potential temperature of air at TK (K) and P whose
// mixing ratio is W (g/kg) and whose LCL temperature is TlK (K).
double BoltonThetaE(double TK, double P, double W, double TlK)
{
    return TK * std::pow(1000.0 / P, kKappa * (1.0 - 0.00028 * W)) *
           std::exp((3.376 / TlK - 0.00254) * W * (1.0 + 0.00081 * W));
}

// Equivalent potential temperature of saturated air at T (C) and P.
double SaturatedThetaE(double T, double P)
{
    const double w = MixingRatio(T, P);
    const double tk = T + kZeroCelsius;
    return BoltonThetaE(tk, P, w, tk);
}
}  // namespace

double SaturationVapourPressure(double T) { return 6.112 * std::exp(17.67 * T / (T + 243.5)); }

double MixingRatio(double Td, double P)
{
    // The vapour pressure of moist air exceeds that over pure water a little
    // (the enhancement factor), more so at high pressure.
    const double e = (1.0007 + 3.46e-6 * P) * SaturationVapourPressure(Td);
    if (!(e < P)) return kNaN;
    return 1000.0 * kEpsilon * e / (P - e);
}

double DewPointOfMixingRatio(double W, double P)
{
    if (!(W > 0) || !(P > 0)) return kNaN;
    const double w = W / 1000.0;
    const double e = w * P / (kEpsilon + w) / (1.0007 + 3.46e-6 * P);
    const double l = std::log(e / 6.112);
    return 243.5 * l / (17.67 - l);
}

double PotentialTemperature(double T, double P) { return (T + kZeroCelsius) * std::pow(1000.0 / P, kKappa); }

double DryAdiabatTemperature(double ThetaK, double P) { return ThetaK * std::pow(P / 1000.0, kKappa) - kZeroCelsius; }

TLcl LiftingCondensationLevel(double T, double Td, double P)
{
    if (std::isnan(T) || std::isnan(Td) || !(P > 0)) return {kNaN, kNaN};
    if (Td > T) Td = T;
    const double tk = T + kZeroCelsius;
    const double tdk = Td + kZeroCelsius;
    if (!(tdk > 56.0)) return {kNaN, kNaN};
    const double tl = 1.0 / (1.0 / (tdk - 56.0) + std::log(tk / tdk) / 800.0) + 56.0;
    return {tl - kZeroCelsius, P * std::pow(tl / tk, 1.0 / kKappa)};
}

double EquivalentPotentialTemperature(double T, double Td, double P)
{
    const TLcl lcl = LiftingCondensationLevel(T, Td, P);
    const double w = MixingRatio(std::min(Td, T), P);
    if (std::isnan(lcl.Temperature) || std::isnan(w)) return kNaN;
    return BoltonThetaE(T + kZeroCelsius, P, w, lcl.Temperature + kZeroCelsius);
}

double VirtualTemperature(double T, double Td, double P)
{
    if (std::isnan(Td)) return T;
    const double w = MixingRatio(std::min(Td, T), P);
    if (std::isnan(w)) return T;
    const double r = w / 1000.0;
    return (T + kZeroCelsius) * (1.0 + r / kEpsilon) / (1.0 + r) - kZeroCelsius;
}

double MoistAdiabatTemperature(double T0, double P0, double P)
{
    if (std::isnan(T0) || !(P0 > 0) || !(P > 0)) return kNaN;
    const double thetaE = SaturatedThetaE(T0, P0);
    if (std::isnan(thetaE)) return kNaN;
    return SaturatedTemperature(thetaE, P, DryAdiabatTemperature(PotentialTemperature(T0, P0), P));
}

double SaturatedTemperature(double ThetaE, double P, double Guess, double* W)
{
    if (!(ThetaE > 0) || !(P > 0)) return kNaN;
    return SaturatedTemperatureLn(std::log(ThetaE), P, std::log(1000.0 / P), Guess, W);
}

double SaturatedTemperatureLn(double LnThetaE, double P, double LnRatio, double Guess, double* W)
{
    if (std::isnan(LnThetaE) || !(P > 0)) return kNaN;
    // Newton's method on the logarithm of the saturated equivalent potential
    // temperature, which rises steeply and smoothly with the temperature.
    // Near the answer a step s leaves an error of about s*s/10: a step
    // below 0.02 K ends the search.
    const double enhancement = 1.0007 + 3.46e-6 * P;
    double t = std::isnan(Guess) ? std::exp(LnThetaE - kKappa * LnRatio) - kZeroCelsius : Guess;
    for (int i = 0; i < 60; ++i) {
        const double tk = t + kZeroCelsius;
        const double b = t + 243.5;
        const double e = enhancement * 6.112 * std::exp(17.67 * t / b);
        if (!(e < 0.5 * P)) {
            t -= 10;  // too warm for this pressure: saturation would exceed it
            continue;
        }
        const double w = 1000.0 * kEpsilon * e / (P - e);
        const double dw = 1000.0 * kEpsilon * P / ((P - e) * (P - e)) * e * 17.67 * 243.5 / (b * b);
        const double a = 3.376 / tk - 0.00254;
        const double f = std::log(tk) + kKappa * (1.0 - 0.00028 * w) * LnRatio + a * w * (1.0 + 0.00081 * w);
        const double df = 1.0 / tk - 3.376 / (tk * tk) * w * (1.0 + 0.00081 * w) +
                          (a * (1.0 + 0.00162 * w) - kKappa * 0.00028 * LnRatio) * dw;
        if (!(df > 0)) return kNaN;
        const double step = std::clamp((LnThetaE - f) / df, -20.0, 20.0);
        t += step;
        if (std::fabs(step) < 0.02) {
            if (W) *W = w + dw * step;
            return t;
        }
    }
    return kNaN;
}

}  // namespace sounding
