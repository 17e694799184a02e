// The stability indices against the values the University of Wyoming prints
// under each of its 726 Perth launches of 2016, and on profiles cut to show
// what cannot be reckoned.

#include "analysis/Indices.h"
#include "analysis/Quantities.h"
#include "sounding/SoundingSources.h"
#include "analysis/Thermo.h"

#include "WyomingIndices.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

using namespace sounding;

namespace {

struct TYear {
    std::vector<TSounding> Soundings;
    std::map<std::string, wyoming::TLaunch> Oracle;
};

const TYear& PerthYear()
{
    static const TYear year = [] {
        TYear y;
        for (int month = 1; month <= 12; ++month) {
            char name[64];
            std::snprintf(name, sizeof name, "/wyoming_94610_2016_%02d.html", month);
            const std::string path = std::string(PROFILORA_DATA_DIR) + name;
            TSourceResult r = ReadSoundingFile(path);
            for (TSounding& s : r.Soundings) y.Soundings.push_back(std::move(s));
            for (auto& [title, launch] : wyoming::ReadLaunches(testfiles::Slurp(path))) y.Oracle[title] = launch;
        }
        return y;
    }();
    return year;
}

TEST(Indices, agreeWithTheWyomingPages)
{
    struct TCheck {
        const char* Wyoming;
        const char* Column;  // of the indices CSV
        double Absolute, Relative;
        int Within = 0, Count = 0;
        // Two launches whose mixed-layer parcel barely turns buoyant have an
        // LFC the pages do not print.
        double Share = 0.99;
    };
    TCheck checks[] = {
        {"Showalter index", "showalter", 0.05, 0},
        {"Lifted index", "lifted_index", 0.05, 0},
        {"LIFT computed using virtual temperature", "lifted_index_virtual", 0.05, 0},
        {"SWEAT index", "sweat", 0.5, 0},
        {"K index", "k_index", 0.05, 0},
        {"Cross totals index", "cross_totals", 0.05, 0},
        {"Vertical totals index", "vertical_totals", 0.05, 0},
        {"Totals totals index", "totals_totals", 0.05, 0},
        {"Convective Available Potential Energy", "cape", 10, 0.08},
        {"CAPE using virtual temperature", "cape_virtual", 10, 0.08},
        {"Convective Inhibition", "cin", 10, 0.03},
        {"CINS using virtual temperature", "cin_virtual", 10, 0.03},
        {"Equilibrum Level", "equilibrium_level", 10, 0},
        {"Equilibrum Level using virtual temperature", "equilibrium_level_virtual", 10, 0},
        {"Level of Free Convection", "lfc", 5, 0, 0, 0, 0.985},
        {"LFCT using virtual temperature", "lfc_virtual", 5, 0},
        {"Bulk Richardson Number", "bulk_richardson", 0.5, 0.08},
        {"Bulk Richardson Number using CAPV", "bulk_richardson_virtual", 0.5, 0.08},
        {"Temp [K] of the Lifted Condensation Level", "lcl_temperature", 0.1, 0},
        {"Pres [hPa] of the Lifted Condensation Level", "lcl_pressure", 1, 0},
        {"Mean mixed layer potential temperature", "mixed_layer_theta", 0.05, 0},
        {"Mean mixed layer mixing ratio", "mixed_layer_mixing_ratio", 0.05, 0},
        {"1000 hPa to 500 hPa thickness", "thickness_1000_500", 0.5, 0},
        {"Precipitable water [mm] for entire sounding", "precipitable_water", 0.05, 0},
    };
    const TYear& year = PerthYear();
    ASSERT_EQ(year.Soundings.size(), 726u);
    int withCape = 0, shallowCape = 0;
    for (const TSounding& s : year.Soundings) {
        const auto oracle = year.Oracle.find(s.Title);
        ASSERT_NE(oracle, year.Oracle.end()) << s.Title;
        const TIndices x = ComputeIndices(s);
        for (TCheck& c : checks) {
            const auto want = oracle->second.Indices.find(c.Wyoming);
            const std::optional<double> got = IndexQuantity(c.Column)->Of(x);
            ++c.Count;
            const bool ok = want == oracle->second.Indices.end()
                                ? !got
                                : got && std::fabs(*got - want->second) <=
                                             std::max(c.Absolute, c.Relative * std::fabs(want->second));
            c.Within += ok;
            if (!ok && std::getenv("PROFILORA_SHOW_MISSES"))
                std::printf("%s %s: %s vs %s\n", s.Title.c_str(), c.Wyoming, got ? std::to_string(*got).c_str() : "-",
                            want != oracle->second.Indices.end() ? std::to_string(want->second).c_str() : "-");
        }
        const auto cape = oracle->second.Indices.find("Convective Available Potential Energy");
        withCape += cape->second > 0;
        shallowCape += cape->second > 0 && cape->second < 50;
    }
    // The year holds launches without CAPE, with a little of it, and with much.
    EXPECT_GT(withCape, 100);
    EXPECT_GT(shallowCape, 30);
    for (const TCheck& c : checks) {
        std::printf("%-45s %5.1f %%\n", c.Wyoming, 100.0 * c.Within / c.Count);
        EXPECT_GE(c.Within, c.Share * c.Count) << c.Wyoming << ": " << c.Within << " of " << c.Count;
    }
}

// A page lists 1000 hPa below the ground with a height and no temperature:
// the thickness comes from that height, and the row is no level of the
// sounding (the CSV repeats only the levels).
TEST(Indices, thicknessFromALevelBelowTheGround)
{
    // A station at 1400 m, with 1000 and 925 hPa below the ground.
    const std::string high =
        "<H2>76225 MMCU Chihuahua Observations at 12Z 02 Mar 2016</H2>\n<PRE>\n"
        "-----------------------------------------------------------------------------\n"
        "   PRES   HGHT   TEMP   DWPT\n"
        "    hPa     m      C      C\n"
        "-----------------------------------------------------------------------------\n"
        " 1000.0    120\n"
        "  925.0    790\n"
        "  856.0   1400   12.0    2.0\n"
        "  700.0   3050    2.0  -10.0\n"
        "  500.0   5738  -14.0  -30.0\n"
        "</PRE>\n";
    const TSourceResult read = ReadSoundingSource(high);
    ASSERT_EQ(read.Soundings.size(), 1u) << read.Error;
    EXPECT_EQ(read.Soundings[0].Levels.size(), 3u);
    EXPECT_EQ(read.Soundings[0].Surface, 0);
    const std::optional<double> thickness = ComputeIndices(read.Soundings[0]).Thickness1000To500;
    ASSERT_TRUE(thickness);
    EXPECT_NEAR(*thickness, 5618, 0.01);
}

// The mixed layer's 500 m top lies between two levels far apart: it is
// placed in ln p, and the parcel starts halfway between it and the surface.
TEST(Indices, mixedLayerTopPlacedInLogPressure)
{
    TSounding s;
    s.AddLevel(1000, 0, 20, 5, MissingValue, MissingValue);
    s.AddLevel(800, 1950, 5, 5, MissingValue, MissingValue);
    s.AddLevel(500, 5600, -20, 10, MissingValue, MissingValue);
    const TParcel parcel = LiftParcel(s, TParcelKind::MixedLayer);
    ASSERT_TRUE(parcel.Valid);
    // 1000 hPa * 0.8^(500/1950) = 944.39 hPa (948.72 linear in p).
    EXPECT_NEAR(parcel.StartPressure, (1000 + 944.389) / 2, 0.01);
}

// A launch cut or stripped: what the cut takes away is empty, the rest stays.
TEST(Indices, emptyWhereTheSoundingCannotGiveThem)
{
    const TYear& year = PerthYear();
    // A launch with CAPE, for the parcel indices to have something to lose.
    const TSounding* source = nullptr;
    for (const TSounding& s : year.Soundings)
        if (s.Title == "94610 2016-12-12 00Z") source = &s;
    ASSERT_NE(source, nullptr);
    struct TCase {
        const char* Name;
        std::function<bool(TSoundingLevel&)> Keep;  // may change the level
        std::vector<const char*> Empty, Present;    // columns of the indices CSV
    } cases[] = {
        {"a high station: the data begin at 820 hPa",
         [](TSoundingLevel& l) { return l.Pressure <= 820; },
         {"showalter", "k_index", "cross_totals", "vertical_totals", "totals_totals", "sweat", "thickness_1000_500"},
         {"lifted_index", "mixed_layer_theta", "precipitable_water", "cape"}},
        {"no dew points",
         [](TSoundingLevel& l) { return l.DewPointDiff = MissingValue, true; },
         {"showalter", "lifted_index", "k_index", "cross_totals", "cape", "cin", "cape_surface", "cape_most_unstable",
          "lcl_pressure", "precipitable_water", "bulk_richardson"},
         {"vertical_totals", "thickness_1000_500"}},
        {"the balloon burst at 600 hPa",
         [](TSoundingLevel& l) { return l.Pressure >= 600; },
         {"showalter", "lifted_index", "k_index", "thickness_1000_500", "cape", "equilibrium_level"},
         {"lfc", "cin", "lcl_pressure", "precipitable_water"}},
        {"winds only near the ground and above 300 hPa: none between to interpolate",
         [](TSoundingLevel& l) {
             if (l.Pressure < 1000 && l.Pressure > 300) l.WindSpeed = MissingValue;
             return true;
         },
         {"sweat", "bulk_richardson", "bulk_richardson_virtual"},
         {"k_index", "cape"}},
        {"no winds",
         [](TSoundingLevel& l) { return l.WindSpeed = MissingValue, true; },
         {"sweat", "bulk_richardson", "bulk_richardson_virtual"},
         {"k_index", "cape"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSounding cut = *source;
        cut.Levels.clear();
        for (TSoundingLevel l : source->Levels)
            if (c.Keep(l)) cut.Levels.push_back(l);
        cut.Surface = 0;
        const TIndices x = ComputeIndices(cut);
        for (std::size_t i = 0; i < c.Empty.size(); ++i) EXPECT_FALSE(IndexQuantity(c.Empty[i])->Of(x)) << c.Empty[i];
        for (std::size_t i = 0; i < c.Present.size(); ++i)
            EXPECT_TRUE(IndexQuantity(c.Present[i])->Of(x)) << c.Present[i];
    }
}

// The drawn path is the parcel the indices reckon with: it passes through
// the LCL and meets the lifted index at 500 hPa.
TEST(Indices, parcelPathMeetsTheIndices)
{
    int checked = 0;
    for (const TSounding& s : PerthYear().Soundings) {
        if (checked == 40) break;
        const TIndices x = ComputeIndices(s);
        if (!x.LiftedIndex || !x.MixedLayer.Cape) continue;
        ++checked;
        const TParcel p = LiftParcel(s, TParcelKind::MixedLayer, false, 100);
        ASSERT_TRUE(p.Valid) << s.Title;
        EXPECT_NEAR(p.LclPressure, *x.LclPressure, 1e-9);
        EXPECT_EQ(p.Cape, x.MixedLayer.Cape);
        EXPECT_EQ(p.LfcPressure, x.MixedLayer.Lfc);
        ASSERT_GT(p.Path.size(), 50u);
        EXPECT_EQ(p.Path.back().Pressure, 100);
        bool lcl = false, at500 = false;
        for (std::size_t i = 0; i < p.Path.size(); ++i) {
            if (i > 0) {
                EXPECT_LT(p.Path[i].Pressure, p.Path[i - 1].Pressure);
            }
            lcl |= p.Path[i].Pressure == p.LclPressure;
            if (p.Path[i].Pressure == 500) {
                at500 = true;
                // The environment at 500 hPa less the lifted index.
                const TSoundingLevel* l500 = nullptr;
                for (const TSoundingLevel& l : s.Levels)
                    if (l.Pressure == 500) l500 = &l;
                if (l500 && p.LclPressure > 500) {
                    EXPECT_NEAR(p.Path[i].Temperature, l500->Temperature - *x.LiftedIndex, 1e-3) << s.Title;
                }
            }
        }
        EXPECT_TRUE(lcl && at500) << s.Title;
    }
    EXPECT_EQ(checked, 40);
}

}  // namespace
