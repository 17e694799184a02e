#pragma once
// What the winds of a launch give a forecaster: the bulk shear of the lowest
// 1, 3 and 6 km, the 0-6 km mean wind, the Bunkers storm motions, the
// storm-relative helicity, the effective inflow layer and the significant
// tornado and supercell composites. Heights are above ground: a level's
// height (LevelHeight) minus the surface level's, the surface being the
// level the file marks (TSounding::Surface), else the first level.
//
// Winds are components u = -s sin(d), v = -s cos(d) in m/s, interpolated
// linearly in height, component by component, between the levels that have
// a wind; the wind at 0 m is the surface level's. A value whose layer cannot
// be interpolated (the winds end below its top, the surface has no wind) is
// std::nullopt.

#include "sounding/Sounding.h"

#include <optional>
#include <span>
#include <vector>

namespace sounding {

struct TIndices;

// A wind at a height above ground.
struct TWindPoint {
    double Height;  // m above ground
    double U;       // m/s, towards the east
    double V;       // m/s, towards the north
};

struct TWindVector {
    double U = 0, V = 0;  // m/s

    double Speed() const;
    // Where the wind blows from, in degrees 0 to 360 (0 when calm).
    double Direction() const;
};

struct TKinematics {
    // The magnitude of the wind at the layer's top minus the wind at 0 m (m/s).
    std::optional<double> BulkShear0To1, BulkShear0To3, BulkShear0To6;
    // Height-weighted (trapezoid rule over the levels, divided by the depth).
    std::optional<TWindVector> MeanWind0To6;
    // Bunkers' internal-dynamics storm motions: the 0-6 km mean wind plus (right)
    // or minus (left) 7.5 m/s to the right of the shear between the 0-0.5 km
    // and the 5.5-6 km mean winds.
    std::optional<TWindVector> StormRight, StormLeft;
    // Storm-relative helicity relative to the right mover (m2/s2).
    std::optional<double> Srh0To1, Srh0To3;
    // The effective inflow layer (m above ground) and what is reckoned over it.
    std::optional<double> EffectiveBase, EffectiveTop, EffectiveSrh, EffectiveBulkShear;
    // The fixed-layer significant tornado parameter and the supercell composite.
    std::optional<double> StpFixed, Scp;
};

// What the composites take from the lifted parcels, as heights of the levels
// (m, as LevelHeight gives them, not above ground); each empty when the
// sounding cannot give it.
struct TInflowParcels {
    std::optional<double> SurfaceLclHeight;      // the surface-based parcel's LCL
    std::optional<double> MostUnstableElHeight;  // the most-unstable parcel's equilibrium level
    // The effective inflow layer: the lowest level within the lowest 300 hPa
    // whose own parcel (virtual temperature) has CAPE >= 100 J/kg and CIN >=
    // -250 J/kg, and the last of the unbroken run of such levels above it.
    std::optional<double> EffectiveBase, EffectiveTop;
};

// The height (m, LevelHeight) of the surface of Sounding: the level the file
// marks, else the first; empty when there is none or it has no height.
std::optional<double> SurfaceHeight(const TSounding& Sounding);

// The winds from 0 m above ground up to Top m: the 0 m wind, every level
// with a wind strictly inside, and the interpolated wind at each of Marks
// (heights above ground, such as 1000, 3000, 6000) inside and at Top; sorted
// by height. Where the winds end below Top it ends at the last level with a
// wind. Empty without a surface or a wind at 0 m.
std::vector<TWindPoint> WindProfile(const TSounding& Sounding, double Top, std::span<const double> Marks = {});

// The storm-relative helicity (m2/s2) of the layer Bottom..Top m above
// ground relative to a storm moving at Motion: the sum over consecutive
// points k of the layer (the interpolated bottom, every level with a wind
// strictly inside, the interpolated top) of
// (u[k+1]-cu)(v[k]-cv) - (u[k]-cu)(v[k+1]-cv). Empty when an end cannot be
// interpolated.
std::optional<double> StormRelativeHelicity(const TSounding& Sounding, double Bottom, double Top,
                                            const TWindVector& Motion);

// The kinematics of Sounding, with the composites folding in the CAPE of
// Indices and the parcels' levels (InflowParcels in analysis/Indices.h).
TKinematics ComputeKinematics(const TSounding& Sounding, const TIndices& Indices);
TKinematics ComputeKinematics(const TSounding& Sounding, const TIndices& Indices, const TInflowParcels& Parcels);

}  // namespace sounding
