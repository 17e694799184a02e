#pragma once
// The stability indices of a launch, as the University of Wyoming lists them
// under "Station information and sounding indices" (GEMPAK's definitions),
// with the lifted parcels they come from, and the surface-based and
// most-unstable CAPE and CIN forecasters expect besides. An index the
// sounding cannot give (no 500 hPa level, no dew point, no LFC) is
// std::nullopt, never a made-up number.

#include "analysis/Kinematics.h"
#include "sounding/Sounding.h"

#include <optional>
#include <vector>

namespace sounding {

// Where a lifted parcel starts.
enum class TParcelKind {
    MixedLayer,    // pressure-weighted mean of the lowest 500 m, at the mid-layer pressure
    SurfaceBased,  // the surface level
    MostUnstable,  // the level of highest equivalent potential temperature in the lowest 300 hPa
};

// One point of a parcel's path or of the environment it is compared with.
struct TParcelPoint {
    double Pressure;     // hPa
    double Temperature;  // C
};

// A parcel lifted dry to its LCL, then along the saturated adiabat.
struct TParcel {
    TParcelKind Kind = TParcelKind::MixedLayer;
    bool Valid = false;  // false when the sounding cannot start one
    double StartPressure = 0;
    double StartTemperature = 0;  // C
    double StartDewPoint = 0;     // C
    double LclPressure = 0;
    double LclTemperature = 0;          // C
    std::optional<double> LfcPressure;  // level of free convection
    std::optional<double> ElPressure;   // equilibrium level
    std::optional<double> Cape;         // J/kg
    std::optional<double> Cin;          // J/kg, <= 0
    // The parcel's temperature from its start up to TopPressure, in steps
    // fine enough to draw (pressure falling).
    std::vector<TParcelPoint> Path;
};

// Lifts the parcel of Kind through Sounding; its Path goes up to
// TopPressure (hPa), its LFC, EL, CAPE and CIN are those of the whole
// sounding (the same as ComputeIndices gives). Virtual temperature is used
// for buoyancy when Virtual is set (and the Path is then the parcel's
// virtual temperature). The LFC is the first buoyant level at
// or above the LCL; the EL the top of the highest buoyant layer; the CAPE
// Rd times the buoyancy integrated over ln p in the positive layers between
// them; the CIN the net area from the parcel's lowest level (the surface
// for the mixed-layer parcel, else its start) to the LFC, capped at 0, and 0
// without an LFC. A parcel still buoyant at the top of the data has neither
// an EL nor a CAPE (the positive area goes on beyond the data).
TParcel LiftParcel(const TSounding& Sounding, TParcelKind Kind, bool Virtual = false, double TopPressure = 100);

// What a lifted parcel gives.
struct TParcelResult {
    std::optional<double> Cape;              // J/kg
    std::optional<double> Cin;               // J/kg, <= 0
    std::optional<double> EquilibriumLevel;  // hPa
    std::optional<double> Lfc;               // hPa, level of free convection
};

struct TIndices {
    std::optional<double> Showalter;
    std::optional<double> LiftedIndex;
    std::optional<double> LiftedIndexVirtual;
    std::optional<double> Sweat;
    std::optional<double> KIndex;
    std::optional<double> CrossTotals;
    std::optional<double> VerticalTotals;
    std::optional<double> TotalsTotals;
    // A result per parcel: the mixed-layer parcel without and with virtual
    // temperature, the surface-based and most-unstable parcels with it.
    TParcelResult MixedLayer;
    TParcelResult MixedLayerVirtual;
    TParcelResult SurfaceBased;
    TParcelResult MostUnstable;
    std::optional<double> BulkRichardson;
    std::optional<double> BulkRichardsonVirtual;
    std::optional<double> LclTemperature;         // K
    std::optional<double> LclPressure;            // hPa
    std::optional<double> MixedLayerTheta;        // K
    std::optional<double> MixedLayerMixingRatio;  // g/kg
    std::optional<double> Thickness1000To500;     // m
    std::optional<double> PrecipitableWater;      // mm
    // Shear, storm motion, helicity and the composites (analysis/Kinematics.h).
    TKinematics Wind;
};

// Pressures in hPa, wind speeds in m/s. The lifted index and the CAPE come
// from the mixed-layer parcel; the 850, 700 and 500 hPa values are a
// level's own or interpolated in ln p between the levels around them (none
// outside the data); the thickness and the precipitable water use the
// levels' heights and dew points as they are.
TIndices ComputeIndices(const TSounding& Sounding);

// The parcels' levels the wind's composites take, Indices being the
// sounding's other indices: the surface-based parcel's LCL, the
// most-unstable parcel's equilibrium level (their heights in ln p between
// the levels around them) and the effective inflow layer. The layer's
// parcels are lifted as the most-unstable one is, each from its level's own
// temperature and dew point; a level without a dew point or a height is
// passed over, and one whose CAPE is unknown (still buoyant at the top of
// the data) does not qualify.
TInflowParcels InflowParcels(const TSounding& Sounding, const TIndices& Indices);

}  // namespace sounding
