#include "sounding/TimeHeightSection.h"

#include "sounding/DerivedLevels.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <limits>

namespace {

constexpr float NoValue = std::numeric_limits<float>::quiet_NaN();
constexpr int SamplesPerColumn = 8;

// Adds one sounding's temperatures to a column of sums: each row between two
// levels that bracket it and lie no more than MaxGap apart.
void AddProfile(const std::vector<TProfilePoint>& Profile, const TTimeHeightSection& S, double MaxGap,
                float* Sum, int* Count)
{
    if (Profile.size() < 2) {
        // A single level fills only the row it sits on exactly.
        if (Profile.size() == 1) {
            const int R = S.RowOf(Profile[0].Height);
            if (S.RowHeight(R) == Profile[0].Height) Sum[R] += Profile[0].Temperature, ++Count[R];
        }
        return;
    }
    const double Step = S.Rows > 1 ? S.HeightMax / (S.Rows - 1) : 1;
    std::size_t Upper = 1;
    const int First = std::max(0, int(std::ceil(Profile.front().Height / Step)));
    for (int R = First; R < S.Rows; ++R) {
        const double H = R * Step;
        while (Upper < Profile.size() && Profile[Upper].Height < H) ++Upper;
        if (Upper >= Profile.size()) break;
        const TProfilePoint& A = Profile[Upper - 1];
        const TProfilePoint& B = Profile[Upper];
        if (B.Height == H) {
            Sum[R] += B.Temperature;
            ++Count[R];
            continue;
        }
        if (double(B.Height) - A.Height > MaxGap) continue;
        const double F = (H - A.Height) / (double(B.Height) - A.Height);
        Sum[R] += float(A.Temperature + F * (double(B.Temperature) - A.Temperature));
        ++Count[R];
    }
}

}  // namespace

int TTimeHeightSection::RowOf(double Height) const
{
    if (Rows < 1 || HeightMax <= 0) return 0;
    return std::clamp(int(std::lround(Height / HeightMax * (Rows - 1))), 0, Rows - 1);
}

int TTimeHeightSection::ColumnOf(int Sounding) const
{
    if (Sounding < 0 || Sounding >= SoundingCount()) return -1;
    const auto It = std::upper_bound(FirstSounding.begin(), FirstSounding.end(), Sounding);
    return int(It - FirstSounding.begin()) - 1;
}

std::string TTimeHeightSection::Readout(int Column, double Height) const
{
    if (Column < 0 || Column >= Columns || Rows < 1 || Height < 0 || Height > HeightMax) return "";
    const float T = Cell(Column, RowOf(Height));
    // to_chars, not printf: numbers use "." whatever the locale.
    char Number[32];
    std::string Out = Titles[std::size_t(Column)] + ", ";
    Out.append(Number, std::to_chars(Number, Number + sizeof Number, std::lround(Height)).ptr);
    Out += " m, ";
    if (std::isnan(T))
        return Out + "no data";
    Out.append(Number, std::to_chars(Number, Number + sizeof Number, T, std::chars_format::fixed, 1).ptr);
    return Out + " C";
}

TTimeHeightSection BuildSection(const std::vector<TSounding>& Soundings, const TSectionSize& Size)
{
    TTimeHeightSection S;
    const int N = int(Soundings.size());
    S.Rows = std::max(1, Size.Rows);
    S.HeightMax = Size.HeightMax > 0 ? Size.HeightMax : 1;
    S.Columns = std::min(N, std::max(1, Size.MaxColumns));
    S.Cells.assign(std::size_t(S.Columns) * S.Rows, NoValue);
    S.FirstSounding.resize(std::size_t(S.Columns) + 1);
    for (int C = 0; C <= S.Columns; ++C) S.FirstSounding[C] = int(std::int64_t(C) * N / std::max(1, S.Columns));
    S.FreezingLevel.assign(std::size_t(S.Columns), NoValue);
    S.TropopauseHeight.assign(std::size_t(S.Columns), NoValue);
    S.Titles.resize(std::size_t(S.Columns));

    std::vector<TProfilePoint> Profile;
    std::vector<float> Sum(std::size_t(S.Rows));
    std::vector<int> Count(std::size_t(S.Rows));
    for (int C = 0; C < S.Columns; ++C) {
        std::fill(Sum.begin(), Sum.end(), 0.0f);
        std::fill(Count.begin(), Count.end(), 0);
        double Freezing = 0, Tropopause = 0;
        int Freezings = 0, Tropopauses = 0;
        S.Titles[C] = Soundings[std::size_t(S.FirstSounding[C])].Title;
        // A long run is sampled at most SamplesPerColumn times, evenly, so an
        // 80-year page costs about what a few years cost.
        const int First = S.FirstSounding[C], Run = S.FirstSounding[C + 1] - First;
        const int Samples = std::min(Run, SamplesPerColumn);
        for (int K = 0; K < Samples; ++K) {
            const int I = First + int(std::int64_t(K) * Run / Samples);
            const TDerivedLevels D = DeriveLevels(Soundings[std::size_t(I)], Profile);
            if (D.FreezingLevel) Freezing += *D.FreezingLevel, ++Freezings;
            if (D.Tropopause) Tropopause += D.Tropopause->Height, ++Tropopauses;
            AddProfile(Profile, S, Size.MaxGap, Sum.data(), Count.data());
        }
        float* Column = &S.Cells[std::size_t(C) * S.Rows];
        for (int R = 0; R < S.Rows; ++R)
            if (Count[R]) Column[R] = Sum[R] / Count[R];
        if (Freezings) S.FreezingLevel[C] = float(Freezing / Freezings);
        if (Tropopauses) S.TropopauseHeight[C] = float(Tropopause / Tropopauses);
    }
    return S;
}
