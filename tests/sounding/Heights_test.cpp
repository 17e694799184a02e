// Heights for levels the file gives none: against the heights Sterling
// reports at every level, and on hand-made soundings.

#include "analysis/DerivedLevels.h"
#include "sounding/Heights.h"
#include "analysis/Indices.h"
#include "sounding/SoundingSet.h"
#include "sounding/SoundingSources.h"

#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

constexpr float M = MissingValue;

bool StandardLevel(float Pressure)
{
    for (const float P : {1000, 925, 850, 700, 500, 400, 300, 250, 200, 150, 100, 70, 50, 30, 20, 10, 7, 5, 3, 2, 1})
        if (Pressure == P) return true;
    return false;
}

// Sterling reports a height at every level until November: with only the
// standard levels' and the surface's heights kept, the others are computed
// and must meet the reported ones within 15 m.
TEST(Heights, meetSterlingsReportedHeights)
{
    const TSourceResult Read = ReadSoundingFile(std::string(PROFILORA_DATA_DIR) + "/USM00072403-data-beg2016.txt.zip");
    ASSERT_GT(Read.Soundings.size(), 600u);
    std::vector<double> Errors;
    std::string Worst;
    for (const TSounding& Full : Read.Soundings) {
        if (Full.Title.compare(6, 7, "2016-11") >= 0) continue;
        TSounding Cut = Full;
        const std::size_t Surface = Cut.Surface >= 0 ? std::size_t(Cut.Surface) : 0;
        for (std::size_t I = 0; I < Cut.Levels.size(); ++I)
            if (I != Surface && !StandardLevel(Cut.Levels[I].Pressure)) Cut.Levels[I].Height = M;
        sounding::ComputeHeights(Cut);
        for (std::size_t I = 0; I < Cut.Levels.size(); ++I) {
            const TSoundingLevel& L = Full.Levels[I];
            if (L.Height == M || Cut.Levels[I].Height != M || L.Pressure == M) continue;
            ASSERT_NE(Cut.Levels[I].Altitude, M) << Full.Title << " level " << I;
            const double Error = std::fabs(double(Cut.Levels[I].Altitude) - L.Height);
            if (Errors.empty() || Error > *std::max_element(Errors.begin(), Errors.end()))
                Worst = Full.Title + " at " + std::to_string(L.Pressure) + " hPa";
            Errors.push_back(Error);
        }
    }
    ASSERT_GT(Errors.size(), 10000u);
    std::sort(Errors.begin(), Errors.end());
    const auto Share = [&](double F) { return Errors[std::size_t(F * double(Errors.size() - 1))]; };
    std::cout << Errors.size() << " levels: median " << Share(0.5) << " m, 99 % " << Share(0.99) << " m, worst "
              << Errors.back() << " m (" << Worst << ")\n";
    EXPECT_LE(Errors.back(), 15.0) << Worst;
}

struct Level {
    float P, H, T, Dpd;
};

// Air at 0 C unless told: 5541.8 m from 1000 to 500 hPa.
TEST(Heights, handMadeSoundings)
{
    struct Case {
        const char* Name;
        std::vector<Level> Levels;
        std::size_t Index;  // the level whose height is checked
        float Want;
    };
    const Case Cases[] = {
        {"upward from the only reported height", {{1000, 0, 0, M}, {500, M, 0, M}}, 1, 5541.8f},
        // 2851.7 m by the equation, plus ln(1000/700)/ln 2 of the 458 m miss at 500 hPa.
        {"corrected to meet the reported height above",
         {{1000, 0, 0, M}, {700, M, 0, M}, {500, 6000, 0, M}},
         1,
         3087.4f},
        {"levels listed downward", {{500, 6000, 0, M}, {700, M, 0, M}, {1000, 0, 0, M}}, 1, 3087.4f},
        {"below the lowest reported height", {{500, 6000, 0, M}, {1000, M, 0, M}}, 1, 458.2f},
        // Saturated at 20 C: 912.7 m instead of the dry 904.0 m.
        {"virtual temperature", {{1000, 0, 20, 0}, {900, M, 20, 0}}, 1, 912.7f},
        {"a level without a temperature takes one between its neighbours",
         {{1000, 0, 0, M}, {700, M, M, M}, {500, 6000, 0, M}},
         1,
         3087.4f},
        {"no reported height", {{1000, M, 0, M}, {500, M, 0, M}}, 1, M},
        // 18409.4 m from 1000 to 100 hPa: -2638 m at the surface cannot be.
        {"a contradicted lowest height is not used",
         {{1000, -2638, 0, M}, {500, M, 0, M}, {100, 18409.4f, 0, M}},
         1,
         5541.8f},
        {"a contradicted lowest height with no level between stays",
         {{1000, -2638, 0, M}, {100, 18409.4f, 0, M}},
         0,
         -2638},
        {"no pressure: the reported height stays", {{1000, 0, 0, M}, {M, 1234, 0, M}}, 1, 1234},
        {"no pressure and no height", {{1000, 0, 0, M}, {M, M, 0, M}}, 1, M},
    };
    for (const Case& C : Cases) {
        TSounding S;
        for (const Level& L : C.Levels) S.AddLevel(L.P, L.H, L.T, L.Dpd, M, M);
        sounding::ComputeHeights(S);
        if (C.Want == M)
            EXPECT_EQ(S.Levels[C.Index].Altitude, M) << C.Name;
        else
            EXPECT_NEAR(S.Levels[C.Index].Altitude, C.Want, 0.1) << C.Name;
        EXPECT_EQ(S.Levels[C.Index].Height, C.Levels[C.Index].H) << C.Name << ": the reported height stays";
    }
}

// Sterling's launches of January to October with the heights their surface
// lines report taken out of the text: read as a station file, each surface
// gets its height back from the levels above it and keeps its place, and the
// derived levels and indices agree with those of the launch as reported.
TEST(Heights, aSurfaceWithoutHeightInAStationFile)
{
    std::string Text;
    const std::string Zip = testfiles::Slurp(std::string(PROFILORA_DATA_DIR) + "/USM00072403-data-beg2016.txt.zip");
    ASSERT_EQ(InflateZip(Zip, {}, [&](std::string_view Piece) { Text.append(Piece); }), "");
    Text.resize(Text.find("#USM00072403 2016 11 01"));
    struct Case {
        const char* Name;
        float Below;  // hPa: heights at higher pressures go, and the surface's
        bool KeepStandard;
        float Tolerance;  // m, the surface and the levels derived
    };
    const Case Cases[] = {
        {"the surface's height alone", 2000, false, 4},
        {"heights at the standard levels only", 2000, true, 4},
        // The station list's 88.4 m: Sterling's surfaces lie at 86..93 m.
        {"no height below 500 hPa", 500, false, 4},
    };
    const TSourceResult Full = ReadSoundingSource(Text);
    ASSERT_GT(Full.Soundings.size(), 500u);
    QTemporaryDir Dir;
    for (const Case& C : Cases) {
        std::string Cut = Text;
        for (std::size_t At = 0; At < Cut.size(); At = Cut.find('\n', At) + 1) {
            if (Cut[At] == '#') continue;
            const float P = std::stof(Cut.substr(At + 9, 6)) / 100;
            if (Cut[At + 1] == '1' || P > C.Below || (C.KeepStandard ? !StandardLevel(P) : P < 0))
                Cut.replace(At + 16, 5, "-9999");
        }
        const std::string Path = Dir.filePath("cut.txt").toStdString();
        testfiles::Put(Path, Cut);
        const TSoundingSet Read = ReadSoundingFiles({Path}, {}, [](std::string_view Id) {
            return Id == "USM00072403" ? std::optional<double>(88.4) : std::nullopt;
        });
        ASSERT_EQ(Read.Soundings.size(), Full.Soundings.size()) << C.Name;
        double Worst = 0;
        std::string Where;
        const auto Check = [&](const TSounding& S, const char* What, std::optional<double> Got,
                               std::optional<double> Want) {
            const double Miss = Got && Want ? std::fabs(*Got - *Want) : Got || Want ? 1e9 : 0;
            if (Miss > Worst) Worst = Miss, Where = S.Title + " " + What;
        };
        for (std::size_t I = 0; I < Full.Soundings.size(); ++I) {
            const TSounding& F = Full.Soundings[I];
            const TSounding& S = Read.Soundings[I];
            ASSERT_EQ(S.Surface, F.Surface) << C.Name << " " << F.Title;
            if (F.Surface < 0 || F.Levels[std::size_t(F.Surface)].Height == M) continue;
            for (std::size_t L = 0; L < F.Levels.size(); ++L)
                ASSERT_EQ(S.Levels[L].Pressure, F.Levels[L].Pressure) << C.Name << " " << F.Title << " level " << L;
            const TDerivedLevels DF = DeriveLevels(F), DS = DeriveLevels(S);
            Check(F, "surface", DS.SurfaceHeight, DF.SurfaceHeight);
            Check(F, "freezing level", DS.FreezingLevel, DF.FreezingLevel);
            Check(F, "inversion base", DS.Inversion ? std::optional<double>(DS.Inversion->Base) : std::nullopt,
                  DF.Inversion ? std::optional<double>(DF.Inversion->Base) : std::nullopt);
            const sounding::TIndices XF = sounding::ComputeIndices(F), XS = sounding::ComputeIndices(S);
            Check(F, "LCL (hPa x 10)", XS.LclPressure ? std::optional<double>(*XS.LclPressure * 10) : std::nullopt,
                  XF.LclPressure ? std::optional<double>(*XF.LclPressure * 10) : std::nullopt);
            Check(F, "most-unstable CIN", XS.MostUnstable.Cin, XF.MostUnstable.Cin);
        }
        EXPECT_LE(Worst, C.Tolerance) << C.Name << ": " << Where;
    }
}

}  // namespace
