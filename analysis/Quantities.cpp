#include "analysis/Quantities.h"

namespace sounding {

namespace {

using O = std::optional<double>;
using X = TIndices;
using D = TDerivedLevels;
constexpr TQuantityGroup W = TQuantityGroup::Wind;

O Speed(const std::optional<TWindVector>& V) { return V ? O(V->Speed()) : std::nullopt; }
O Direction(const std::optional<TWindVector>& V) { return V ? O(V->Direction()) : std::nullopt; }

constexpr TIndexQuantity kIndices[] = {
    {"showalter", "Showalter index", "", 2, true, [](const X& V) { return V.Showalter; }},
    {"lifted_index", "Lifted index", "", 2, true, [](const X& V) { return V.LiftedIndex; }},
    {"lifted_index_virtual", "Lifted index (virtual temperature)", "", 2, true,
     [](const X& V) { return V.LiftedIndexVirtual; }},
    {"sweat", "SWEAT index", "", 2, true, [](const X& V) { return V.Sweat; }},
    {"k_index", "K index", "", 2, true, [](const X& V) { return V.KIndex; }},
    {"cross_totals", "Cross totals index", "", 2, true, [](const X& V) { return V.CrossTotals; }},
    {"vertical_totals", "Vertical totals index", "", 2, true, [](const X& V) { return V.VerticalTotals; }},
    {"totals_totals", "Totals totals index", "", 2, true, [](const X& V) { return V.TotalsTotals; }},
    {"cape", "CAPE", "J/kg", 1, true, [](const X& V) { return V.MixedLayer.Cape; }},
    {"cape_virtual", "CAPE (virtual temperature)", "J/kg", 1, true,
     [](const X& V) { return V.MixedLayerVirtual.Cape; }},
    {"cin", "CIN", "J/kg", 1, true, [](const X& V) { return V.MixedLayer.Cin; }},
    {"cin_virtual", "CIN (virtual temperature)", "J/kg", 1, true, [](const X& V) { return V.MixedLayerVirtual.Cin; }},
    {"equilibrium_level", "Equilibrium level", "hPa", 2, true,
     [](const X& V) { return V.MixedLayer.EquilibriumLevel; }},
    {"equilibrium_level_virtual", "Equilibrium level (virtual temperature)", "hPa", 2, true,
     [](const X& V) { return V.MixedLayerVirtual.EquilibriumLevel; }},
    {"lfc", "Level of free convection", "hPa", 2, true, [](const X& V) { return V.MixedLayer.Lfc; }},
    {"lfc_virtual", "Level of free convection (virtual temperature)", "hPa", 2, true,
     [](const X& V) { return V.MixedLayerVirtual.Lfc; }},
    {"bulk_richardson", "Bulk Richardson number", "", 2, true, [](const X& V) { return V.BulkRichardson; }},
    {"bulk_richardson_virtual", "Bulk Richardson number (virtual CAPE)", "", 2, true,
     [](const X& V) { return V.BulkRichardsonVirtual; }},
    {"lcl_temperature", "LCL temperature", "K", 2, true, [](const X& V) { return V.LclTemperature; }},
    {"lcl_pressure", "LCL pressure", "hPa", 2, true, [](const X& V) { return V.LclPressure; }},
    {"mixed_layer_theta", "Mixed-layer potential temperature", "K", 2, true,
     [](const X& V) { return V.MixedLayerTheta; }},
    {"mixed_layer_mixing_ratio", "Mixed-layer mixing ratio", "g/kg", 2, true,
     [](const X& V) { return V.MixedLayerMixingRatio; }},
    {"thickness_1000_500", "1000-500 hPa thickness", "m", 1, true, [](const X& V) { return V.Thickness1000To500; }},
    {"precipitable_water", "Precipitable water", "mm", 2, true, [](const X& V) { return V.PrecipitableWater; }},
    {"cape_surface", "Surface-based CAPE", "J/kg", 1, true, [](const X& V) { return V.SurfaceBased.Cape; }},
    {"cin_surface", "Surface-based CIN", "J/kg", 1, true, [](const X& V) { return V.SurfaceBased.Cin; }},
    {"cape_most_unstable", "Most-unstable CAPE", "J/kg", 1, true, [](const X& V) { return V.MostUnstable.Cape; }},
    {"cin_most_unstable", "Most-unstable CIN", "J/kg", 1, true, [](const X& V) { return V.MostUnstable.Cin; }},
    // The wind (analysis/Kinematics.h).
    {"bulk_shear_0_1km", "0-1 km bulk shear", "m/s", 1, true, [](const X& V) { return V.Wind.BulkShear0To1; }, W},
    {"bulk_shear_0_3km", "0-3 km bulk shear", "m/s", 1, true, [](const X& V) { return V.Wind.BulkShear0To3; }, W},
    {"bulk_shear_0_6km", "0-6 km bulk shear", "m/s", 1, true, [](const X& V) { return V.Wind.BulkShear0To6; }, W},
    {"mean_wind_0_6km_direction", "0-6 km mean wind direction", "deg", 0, true,
     [](const X& V) { return Direction(V.Wind.MeanWind0To6); }, W},
    {"mean_wind_0_6km_speed", "0-6 km mean wind speed", "m/s", 1, true,
     [](const X& V) { return Speed(V.Wind.MeanWind0To6); }, W},
    {"storm_motion_right_direction", "Right-mover direction", "deg", 0, true,
     [](const X& V) { return Direction(V.Wind.StormRight); }, W},
    {"storm_motion_right_speed", "Right-mover speed", "m/s", 1, true,
     [](const X& V) { return Speed(V.Wind.StormRight); }, W},
    {"storm_motion_left_direction", "Left-mover direction", "deg", 0, true,
     [](const X& V) { return Direction(V.Wind.StormLeft); }, W},
    {"storm_motion_left_speed", "Left-mover speed", "m/s", 1, true, [](const X& V) { return Speed(V.Wind.StormLeft); },
     W},
    {"srh_0_1km", "0-1 km storm-relative helicity", "m2/s2", 0, true, [](const X& V) { return V.Wind.Srh0To1; }, W},
    {"srh_0_3km", "0-3 km storm-relative helicity", "m2/s2", 0, true, [](const X& V) { return V.Wind.Srh0To3; }, W},
    {"effective_inflow_base", "Effective inflow base", "m", 0, true, [](const X& V) { return V.Wind.EffectiveBase; },
     W},
    {"effective_inflow_top", "Effective inflow top", "m", 0, true, [](const X& V) { return V.Wind.EffectiveTop; }, W},
    {"effective_srh", "Effective storm-relative helicity", "m2/s2", 0, true,
     [](const X& V) { return V.Wind.EffectiveSrh; }, W},
    {"effective_bulk_shear", "Effective bulk shear", "m/s", 1, true,
     [](const X& V) { return V.Wind.EffectiveBulkShear; }, W},
    {"stp_fixed", "Significant tornado parameter", "", 2, true, [](const X& V) { return V.Wind.StpFixed; }, W},
    {"scp", "Supercell composite parameter", "", 2, true, [](const X& V) { return V.Wind.Scp; }, W},
};

// A level's value as a double (the levels hold floats).
O Of(const std::optional<float>& V) { return V ? O(*V) : std::nullopt; }

template <typename Level>
O Part(const std::optional<Level>& L, float Level::*Member)
{
    return L ? O((*L).*Member) : std::nullopt;
}

constexpr TLevelQuantity kLevels[] = {
    {"surface_height", "Surface height", "m", 1, true, [](const D& V) { return Of(V.SurfaceHeight); }},
    {"freezing_level", "Freezing level", "m", 1, true, [](const D& V) { return Of(V.FreezingLevel); }},
    {"warm_layer_base", "Warm layer base", "m", 1, false,
     [](const D& V) { return Part(V.WarmLayer, &TWarmLayer::Base); }},
    {"warm_layer_top", "Warm layer top", "m", 1, false, [](const D& V) { return Part(V.WarmLayer, &TWarmLayer::Top); }},
    {"warm_layer_max_temperature", "Warm layer maximum temperature", "C", 1, false,
     [](const D& V) { return Part(V.WarmLayer, &TWarmLayer::MaxTemperature); }},
    {"tropopause_height", "Tropopause height", "m", 1, true,
     [](const D& V) { return Part(V.Tropopause, &TTropopause::Height); }},
    {"tropopause_temperature", "Tropopause temperature", "C", 1, true,
     [](const D& V) { return Part(V.Tropopause, &TTropopause::Temperature); }},
    {"tropopause_pressure", "Tropopause pressure", "hPa", 1, false,
     [](const D& V) { return V.Tropopause ? Of(V.Tropopause->Pressure) : std::nullopt; }},
    {"inversion_base", "Inversion base", "m", 1, true, [](const D& V) { return Part(V.Inversion, &TInversion::Base); }},
    {"inversion_top", "Inversion top", "m", 1, true, [](const D& V) { return Part(V.Inversion, &TInversion::Top); }},
    {"inversion_strength", "Inversion strength", "C", 1, true,
     [](const D& V) { return Part(V.Inversion, &TInversion::Strength); }},
};

constexpr struct {
    TParcelKind Kind;
    const char* Name;
} kParcels[] = {
    {TParcelKind::MixedLayer, "Mixed-layer parcel"},
    {TParcelKind::SurfaceBased, "Surface-based parcel"},
    {TParcelKind::MostUnstable, "Most-unstable parcel"},
};

}  // namespace

const char* ParcelName(TParcelKind Kind)
{
    for (const auto& p : kParcels)
        if (p.Kind == Kind) return p.Name;
    return "";
}

std::span<const TIndexQuantity> IndexQuantities() { return kIndices; }

std::span<const TLevelQuantity> LevelQuantities() { return kLevels; }

const TIndexQuantity* IndexQuantity(std::string_view Column)
{
    for (const TIndexQuantity& q : kIndices)
        if (Column == q.Column) return &q;
    return nullptr;
}

}  // namespace sounding
