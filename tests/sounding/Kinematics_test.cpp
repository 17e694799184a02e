// The wind's kinematics on hodographs whose answers are known in closed
// form, at the edges of the winds, on a hand-made thermal profile, and on
// bundled launches (the effective inflow layer against every level's parcel
// lifted one by one).

#include "analysis/Indices.h"
#include "analysis/Kinematics.h"
#include "analysis/Quantities.h"
#include "sounding/Heights.h"
#include "sounding/SoundingSources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace sounding;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct TWind {
    double Height, U, V;
};

// A sounding of winds alone (heights from the ground at 100 m), pressure
// falling with height so that every level is a level.
TSounding WindSounding(const std::vector<TWind>& Winds)
{
    TSounding s;
    for (const TWind& w : Winds) {
        const double speed = std::hypot(w.U, w.V);
        const double from = std::fmod(std::atan2(-w.U, -w.V) * 180 / kPi + 360, 360);
        s.AddLevel(float(1000 * std::exp(-w.Height / 8000)), float(100 + w.Height), 10, 5, float(from), float(speed));
    }
    s.Surface = 0;
    return s;
}

// Uniform shear: u = U0 + Rate h, v = V0, every 250 m from 0 to Top.
TSounding UniformShear(double Rate, double Top = 8000, double U0 = -3, double V0 = 2)
{
    std::vector<TWind> winds;
    for (double h = 0; h <= Top; h += 250) winds.push_back({h, U0 + Rate * h, V0});
    return WindSounding(winds);
}

TEST(Kinematics, uniformShearGivesItsShearMeanWindStormMotionAndHelicity)
{
    // 5 m/s per km westerly shear: the bulk shears are 5, 15 and 30 m/s, the
    // 0-6 km mean wind is the wind at 3 km, (12, 2); Bunkers' shear vector
    // points east, so the right mover lies 7.5 m/s south of the mean wind
    // and the left mover as far north. Relative to the right mover a straight
    // hodograph sweeps 7.5 m/s times its length: 37.5 and 112.5 m2/s2.
    const TKinematics k = ComputeKinematics(UniformShear(0.005), TIndices{}, TInflowParcels{});
    ASSERT_TRUE(k.BulkShear0To6 && k.MeanWind0To6 && k.StormRight && k.StormLeft && k.Srh0To1 && k.Srh0To3);
    EXPECT_NEAR(*k.BulkShear0To1, 5, 1e-3);
    EXPECT_NEAR(*k.BulkShear0To3, 15, 1e-3);
    EXPECT_NEAR(*k.BulkShear0To6, 30, 1e-3);
    EXPECT_NEAR(k.MeanWind0To6->U, 12, 1e-3);
    EXPECT_NEAR(k.MeanWind0To6->V, 2, 1e-3);
    EXPECT_NEAR(k.StormRight->U, 12, 1e-3);
    EXPECT_NEAR(k.StormRight->V, -5.5, 1e-3);
    EXPECT_NEAR(k.StormLeft->U, 12, 1e-3);
    EXPECT_NEAR(k.StormLeft->V, 9.5, 1e-3);
    // (12, -5.5) blows towards the east-south-east, from 294.6 degrees.
    EXPECT_NEAR(k.StormRight->Direction(), 294.62, 0.01);
    EXPECT_NEAR(k.StormRight->Speed(), 13.200, 1e-3);
    EXPECT_NEAR(*k.Srh0To1, 37.5, 1e-2);
    EXPECT_NEAR(*k.Srh0To3, 112.5, 1e-2);
    // A wind from the north blows towards the south; calm reads 0.
    EXPECT_NEAR((TWindVector{0, -5}).Direction(), 0, 1e-9);
    EXPECT_NEAR((TWindVector{-5, 0}).Direction(), 90, 1e-9);
    EXPECT_EQ((TWindVector{0, 0}).Direction(), 0);
}

TEST(Kinematics, straightAndHalfCircleHodographsHaveTheirHelicity)
{
    // Relative to any motion on the line of a straight hodograph, no
    // helicity at all.
    const TSounding line = UniformShear(0.004, 4000, 1, -2);
    for (const TWindVector c : {TWindVector{1, -2}, TWindVector{-7, -2}, TWindVector{20, -2}}) {
        const std::optional<double> srh = StormRelativeHelicity(line, 0, 3000, c);
        ASSERT_TRUE(srh);
        EXPECT_NEAR(*srh, 0, 1e-3) << c.U;
    }
    // A half circle of radius R about the motion, turning clockwise with
    // height in N steps: each step adds R^2 sin(pi/N), pi R^2 in the limit;
    // turning the other way, as much negative.
    const double r = 10, cu = 4, cv = 3;
    const int n = 36;
    std::vector<TWind> veering, backing;
    for (int k = 0; k <= n; ++k) {
        const double a = kPi - k * kPi / n;
        veering.push_back({3000.0 * k / n, cu + r * std::cos(a), cv + r * std::sin(a)});
        backing.push_back({3000.0 * k / n, cu + r * std::cos(a), cv - r * std::sin(a)});
    }
    const double expected = n * r * r * std::sin(kPi / n);
    const std::optional<double> right = StormRelativeHelicity(WindSounding(veering), 0, 3000, {cu, cv});
    const std::optional<double> left = StormRelativeHelicity(WindSounding(backing), 0, 3000, {cu, cv});
    ASSERT_TRUE(right && left);
    EXPECT_NEAR(*right, expected, 0.05);
    EXPECT_NEAR(*left, -expected, 0.05);
    EXPECT_NEAR(expected, kPi * r * r, 0.5);
}

TEST(Kinematics, layerTopsAreInterpolatedAndEmptyWhereWindsEnd)
{
    // Levels at 0, 800 and 1300 m: the 1 km wind lies 0.4 of the way from
    // (0, 0) ... (10, 0) at 800 m to (10, 10) at 1300 m: (10, 4).
    const TSounding s = WindSounding({{0, 0, 0}, {800, 10, 0}, {1300, 10, 10}, {2500, 0, 10}});
    const TKinematics k = ComputeKinematics(s, TIndices{}, TInflowParcels{});
    ASSERT_TRUE(k.BulkShear0To1);
    EXPECT_NEAR(*k.BulkShear0To1, std::hypot(10, 4), 1e-3);
    // The winds end at 2.5 km: no 3 or 6 km layer, no mean wind, no storm
    // motion, no helicity, no STP; SCP is 0 without an effective layer.
    EXPECT_FALSE(k.BulkShear0To3 || k.BulkShear0To6 || k.MeanWind0To6 || k.StormRight || k.StormLeft || k.Srh0To1 ||
                 k.Srh0To3 || k.StpFixed);
    ASSERT_TRUE(k.Scp);
    EXPECT_EQ(*k.Scp, 0);

    // The drawn profile: the ground, the levels inside, the marks and the
    // top, in height order; it stops where the winds do.
    const double marks[] = {1000, 3000};
    const std::vector<TWindPoint> p = WindProfile(s, 2000, marks);
    ASSERT_EQ(p.size(), 5u);
    const double heights[] = {0, 800, 1000, 1300, 2000};
    for (std::size_t i = 0; i < p.size(); ++i) EXPECT_EQ(p[i].Height, heights[i]);
    EXPECT_NEAR(p[2].V, 4, 1e-4);
    EXPECT_EQ(WindProfile(s, 10000).back().Height, 2500);

    // A surface without a wind, or without a height, gives nothing.
    TSounding calm = s;
    calm.Levels[0].WindSpeed = MissingValue;
    EXPECT_TRUE(WindProfile(calm, 2000).empty());
    EXPECT_FALSE(ComputeKinematics(calm, TIndices{}, TInflowParcels{}).BulkShear0To1);
    TSounding nowhere = s;
    nowhere.Levels[0].Height = MissingValue;
    const TKinematics none = ComputeKinematics(nowhere, TIndices{}, TInflowParcels{{}, {}, 100.0, 500.0});
    EXPECT_FALSE(none.BulkShear0To1 || none.Scp || none.EffectiveBase);
}

TEST(Kinematics, compositesFoldCapeLclShearAndHelicity)
{
    // 4 m/s per km: 0-6 km shear 24 m/s (term 1.2), 0-1 km SRH 30 m2/s2;
    // the effective layer 0-1 km has the same 30 m2/s2 and, the
    // equilibrium level at 10 km, its bulk shear reaches 5 km: 20 m/s.
    const TSounding s = UniformShear(0.004, 12000);
    const double ground = 100;
    struct {
        double SbCape, Lcl, MuCape, El;
        double Stp, Scp;
    } cases[] = {
        {3000, 1500, 2000, 10000, 2 * 0.5 * 0.2 * 1.2, 2 * 0.6 * 1.0},
        {3000, 800, 2000, 10000, 2 * 1.0 * 0.2 * 1.2, 2 * 0.6 * 1.0},
        {3000, 2500, 500, 10000, 0, 0.5 * 0.6 * 1.0},
        // The equilibrium level at 4 km: the bulk shear reaches 2 km, 8
        // m/s, below 10 m/s.
        {1500, 1000, 2000, 4000, 1 * 1.0 * 0.2 * 1.2, 0},
        // At 6.2 km: 3.1 km, 12.4 m/s, a term of 0.62.
        {1500, 1000, 1000, 6200, 1 * 1.0 * 0.2 * 1.2, 1 * 0.6 * 0.62},
    };
    for (const auto& c : cases) {
        TIndices x;
        x.SurfaceBased.Cape = c.SbCape;
        x.MostUnstable.Cape = c.MuCape;
        const TInflowParcels parcels{ground + c.Lcl, ground + c.El, ground, ground + 1000};
        const TKinematics k = ComputeKinematics(s, x, parcels);
        ASSERT_TRUE(k.StpFixed && k.Scp && k.EffectiveSrh && k.EffectiveBulkShear);
        EXPECT_NEAR(*k.EffectiveBase, 0, 1e-9);
        EXPECT_NEAR(*k.EffectiveTop, 1000, 1e-9);
        EXPECT_NEAR(*k.EffectiveSrh, 30, 1e-2);
        EXPECT_NEAR(*k.StpFixed, c.Stp, 1e-3) << c.Lcl;
        EXPECT_NEAR(*k.Scp, c.Scp, 1e-3) << c.El;
    }
    // Weak deep shear (10 m/s over 6 km) takes the STP to 0.
    TIndices x;
    x.SurfaceBased.Cape = 3000;
    EXPECT_EQ(*ComputeKinematics(UniformShear(10.0 / 6000), x, {1000.0, {}, {}, {}}).StpFixed, 0);
}

struct TLevel {
    double P, Z, T, Td;
};

TSounding ThermalSounding(const std::vector<TLevel>& Levels)
{
    TSounding s;
    for (const TLevel& l : Levels)
        s.AddLevel(float(l.P), float(l.Z), float(l.T), float(l.T - l.Td), 270, float(5 + l.Z / 500));
    s.Surface = 0;
    return s;
}

TEST(Kinematics, effectiveInflowLayerIsTheFirstRunOfLevelsWithEnoughCapeAndLittleCin)
{
    // A moist, warm boundary layer up to 950 hPa, a dry level at 925 hPa
    // whose parcel never saturates low enough to rise freely, then moist air
    // again: the layer runs from the ground to 950 hPa, 445 m above it.
    std::vector<TLevel> levels = {
        {1000, 100, 30, 24},    {975, 320, 28, 23},     {950, 545, 26, 22},     {925, 775, 24, -20},
        {900, 1010, 22, 18},    {850, 1490, 20, 5},     {800, 2000, 16, 0},     {700, 3100, 8, -10},
        {600, 4350, -1, -20},   {500, 5800, -10, -30},  {400, 7450, -22, -40},  {300, 9450, -38, -55},
        {250, 10650, -48, -60}, {200, 12050, -56, -70}, {150, 13800, -60, -75}, {100, 16300, -62, -80},
    };
    const TKinematics k = ComputeIndices(ThermalSounding(levels)).Wind;
    ASSERT_TRUE(k.EffectiveBase && k.EffectiveTop && k.EffectiveSrh && k.EffectiveBulkShear);
    EXPECT_EQ(*k.EffectiveBase, 0);
    EXPECT_EQ(*k.EffectiveTop, 445);
    EXPECT_GT(*k.Scp, 0);

    // A one-level layer is a layer, with no helicity.
    std::vector<TLevel> one = levels;
    one[1].Td = -20;
    const TKinematics single = ComputeIndices(ThermalSounding(one)).Wind;
    ASSERT_TRUE(single.EffectiveBase && single.EffectiveTop && single.EffectiveSrh);
    EXPECT_EQ(*single.EffectiveTop, 0);
    EXPECT_EQ(*single.EffectiveSrh, 0);

    // Cut at 500 hPa every parcel is still buoyant at the top: no CAPE is
    // known, no level qualifies, and the SCP is 0.
    std::vector<TLevel> cut(levels.begin(), levels.begin() + 10);
    const TKinematics none = ComputeIndices(ThermalSounding(cut)).Wind;
    EXPECT_FALSE(none.EffectiveBase || none.EffectiveTop || none.EffectiveSrh || none.EffectiveBulkShear);
    ASSERT_TRUE(none.Scp);
    EXPECT_EQ(*none.Scp, 0);
}

// The effective inflow layer of a launch found the slow way: every level
// with a dew point and a height in the lowest 300 hPa made the surface of
// the sounding and its surface-based parcel lifted.
std::pair<std::optional<double>, std::optional<double>> SlowInflowLayer(const TSounding& S)
{
    std::optional<double> base, top;
    if (S.Levels.empty()) return {base, top};
    const std::size_t first = S.Surface >= 0 ? std::size_t(S.Surface) : 0;
    const float p0 = S.Levels[first].Pressure, z0 = LevelHeight(S.Levels[first]);
    float last = 0;
    for (std::size_t i = first; i < S.Levels.size(); ++i) {
        const TSoundingLevel& l = S.Levels[i];
        if (!(l.Pressure > 0) || l.Temperature == MissingValue || (last > 0 && !(l.Pressure < last))) continue;
        last = l.Pressure;
        if (l.Pressure < p0 - 300) break;
        if (l.DewPointDiff == MissingValue || LevelHeight(l) == MissingValue) continue;
        TSounding from = S;
        from.Surface = int(i);
        const TParcel p = LiftParcel(from, TParcelKind::SurfaceBased, true, 1000);
        if (p.Cape && *p.Cape >= 100 && p.Cin && *p.Cin >= -250) {
            if (!base) base = double(LevelHeight(l)) - z0;
            top = double(LevelHeight(l)) - z0;
        } else if (base) {
            break;
        }
    }
    return {base, top};
}

TEST(Kinematics, effectiveInflowLayerAgreesWithLiftingEveryLevel)
{
    int layers = 0;
    for (const char* name : {"/Chihuahua 2015.html", "/wyoming_94610_2016_02.html"}) {
        const TSourceResult r = ReadSoundingFile(std::string(PROFILORA_DATA_DIR) + name);
        ASSERT_FALSE(r.Soundings.empty());
        for (const TSounding& s : r.Soundings) {
            const TKinematics k = ComputeIndices(s).Wind;
            const auto [base, top] = SlowInflowLayer(s);
            EXPECT_EQ(k.EffectiveBase, base) << s.Title;
            EXPECT_EQ(k.EffectiveTop, top) << s.Title;
            layers += base.has_value();
        }
    }
    EXPECT_GT(layers, 20);
}

TEST(Kinematics, indicesColumnsOfPerthsFirstLaunch)
{
    const std::string header = CsvHeader(IndexQuantities());
    EXPECT_EQ(header.substr(header.find(",cin_most_unstable,") + 19),
              "bulk_shear_0_1km,bulk_shear_0_3km,bulk_shear_0_6km,mean_wind_0_6km_direction,mean_wind_0_6km_speed,"
              "storm_motion_right_direction,storm_motion_right_speed,storm_motion_left_direction,"
              "storm_motion_left_speed,srh_0_1km,srh_0_3km,effective_inflow_base,effective_inflow_top,effective_srh,"
              "effective_bulk_shear,stp_fixed,scp");
    const TSourceResult r = ReadSoundingFile(std::string(PROFILORA_DATA_DIR) + "/wyoming_94610_2016_01.html");
    ASSERT_FALSE(r.Soundings.empty());
    const TIndices x = ComputeIndices(r.Soundings[0]);
    // The page: 20 m, 90 deg 18 kt at the ground: (-18, 0) kt. 1 km above it
    // (1020 m) lies 59/232 of the way from 961 m (75 deg 18 kt: -17.387,
    // -4.659) to 1193 m (120 deg 10 kt: -8.660, 5.000): (-15.168, -2.203),
    // 3.588 kt = 1.846 m/s from the ground's wind. 3 km above it (3020 m):
    // 11/104 of the way from 3009 m (297 deg 17 kt: 15.147, -7.718) to 3113
    // m (299 deg 19 kt: 16.618, -9.211): (15.303, -7.876), 34.22 kt = 17.60
    // m/s from the ground's wind.
    ASSERT_TRUE(x.Wind.BulkShear0To1 && x.Wind.BulkShear0To3);
    EXPECT_NEAR(*x.Wind.BulkShear0To1, 1.846, 0.005);
    EXPECT_NEAR(*x.Wind.BulkShear0To3, 17.60, 0.01);
    // No parcel of this stable evening has CAPE: no effective layer, SCP 0.
    EXPECT_FALSE(x.Wind.EffectiveBase);
    EXPECT_EQ(*IndexQuantity("scp")->Of(x), 0);
    EXPECT_EQ(IndexQuantity("srh_0_1km")->Decimals, 0);
    EXPECT_EQ(IndexQuantity("stp_fixed")->Decimals, 2);
}

}  // namespace
