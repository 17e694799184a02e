#pragma once
// Moist thermodynamics of the atmosphere, as the sounding indices reckon
// them: Bolton's saturation vapour pressure (with the enhancement factor of
// GEMPAK), kappa = 2/7, Bolton's lifting condensation level, and saturated
// adiabats as lines of constant Bolton equivalent potential temperature.
// Temperatures in degrees C unless a name says K, pressures in hPa, mixing
// ratios in g/kg. A result that cannot be reckoned is NaN.

namespace sounding {

inline constexpr double kZeroCelsius = 273.15;  // K
inline constexpr double kKappa = 2.0 / 7.0;     // R/cp of dry air

// Saturation vapour pressure over water at T (hPa).
double SaturationVapourPressure(double T);
// Mixing ratio (g/kg) of air of dew point Td at pressure P.
double MixingRatio(double Td, double P);
// The dew point (C) at which air at P has the mixing ratio W (g/kg): the
// temperature of a mixing-ratio line at P.
double DewPointOfMixingRatio(double W, double P);
// Potential temperature (K) of air at T and P.
double PotentialTemperature(double T, double P);
// The temperature (C) at P of the dry adiabat of potential temperature ThetaK.
double DryAdiabatTemperature(double ThetaK, double P);
// Bolton's equivalent potential temperature (K) of air at T, Td and P.
double EquivalentPotentialTemperature(double T, double Td, double P);
// Virtual temperature (C) of air at T with dew point Td at P; T itself when
// Td is NaN.
double VirtualTemperature(double T, double Td, double P);

// The lifting condensation level of air at T, Td, P (Bolton).
struct TLcl {
    double Temperature;  // C
    double Pressure;     // hPa
};
TLcl LiftingCondensationLevel(double T, double Td, double P);

// The temperature (C) at P of the saturated adiabat through T0 at P0.
double MoistAdiabatTemperature(double T0, double P0, double P);
// The temperature (C) at P of the saturated adiabat whose equivalent
// potential temperature is ThetaE (K); Guess (C), when not NaN, starts the
// search (a nearby point of the same adiabat makes it quick). W, when
// given, receives the saturation mixing ratio there (g/kg).
double SaturatedTemperature(double ThetaE, double P, double Guess, double* W = nullptr);
// The same from the logarithms of ThetaE and of 1000 / P, for a caller that
// keeps them.
double SaturatedTemperatureLn(double LnThetaE, double P, double LnRatio, double Guess, double* W = nullptr);

}  // namespace sounding
