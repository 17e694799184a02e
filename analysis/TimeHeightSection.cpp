#include "analysis/TimeHeightSection.h"

#include "analysis/DerivedLevels.h"
#include "sounding/Heights.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <cstdio>
#include <limits>

namespace {

constexpr float NoValue = std::numeric_limits<float>::quiet_NaN();
constexpr int SamplesPerColumn = 8;

// Adds one sounding's temperatures to a column of sums: each row between two
// levels that bracket it and lie no more than MaxGap apart.
void AddProfile(const std::vector<TProfilePoint>& Profile, const TTimeHeightSection& S, double MaxGap, float* Sum,
                int* Count)
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

// Where each sounding goes: by launch time when every sounding has one and
// they never go back, otherwise by index. Fills Columns, FirstSounding and
// the titles of empty columns.
void LayOutColumns(const std::vector<TSounding>& Soundings, int MaxColumns, TTimeHeightSection& S)
{
    const int N = int(Soundings.size());
    std::vector<std::int64_t> Hours;
    for (const TSounding& Sounding : Soundings) {
        const std::optional<std::int64_t> H = sounding::LaunchHour(Sounding.Launch);
        if (!H || (!Hours.empty() && *H < Hours.back())) break;
        Hours.push_back(*H);
    }
    std::vector<std::int64_t> Steps;
    if (int(Hours.size()) == N)
        for (int I = 1; I < N; ++I)
            if (Hours[I] > Hours[I - 1]) Steps.push_back(Hours[I] - Hours[I - 1]);
    if (Steps.empty()) {
        S.Columns = std::min(N, MaxColumns);
        S.FirstSounding.resize(std::size_t(S.Columns) + 1);
        for (int C = 0; C <= S.Columns; ++C) S.FirstSounding[C] = int(std::int64_t(C) * N / std::max(1, S.Columns));
        S.Titles.resize(std::size_t(S.Columns));
        return;
    }
    // The usual interval between launches makes one column.
    std::nth_element(Steps.begin(), Steps.begin() + Steps.size() / 2, Steps.end());
    const std::int64_t Interval = Steps[Steps.size() / 2];
    const std::int64_t Slots = (Hours.back() - Hours.front()) / Interval + 1;
    const std::int64_t Span = Slots * Interval;
    S.Columns = int(std::min<std::int64_t>(Slots, MaxColumns));
    S.FirstHour = Hours.front();
    S.HoursPerColumn = double(Span) / S.Columns;
    S.FirstSounding.assign(std::size_t(S.Columns) + 1, N);
    S.Titles.resize(std::size_t(S.Columns));
    for (int I = N - 1; I >= 0; --I) {
        const auto C = std::min<std::int64_t>((Hours[I] - Hours.front()) * S.Columns / Span, S.Columns - 1);
        S.FirstSounding[std::size_t(C)] = I;
    }
    // An empty column starts where the next one does.
    for (int C = S.Columns - 1; C >= 0; --C) {
        if (S.FirstSounding[C] > S.FirstSounding[C + 1]) S.FirstSounding[C] = S.FirstSounding[C + 1];
        if (S.FirstSounding[C] == S.FirstSounding[C + 1])
            S.Titles[C] = sounding::HourText(Hours.front() + std::int64_t(C) * Span / S.Columns);
    }
}

}  // namespace

int TTimeHeightSection::SoundingOf(int Column) const
{
    if (Column < 0 || Column >= Columns || FirstSounding[Column] == FirstSounding[Column + 1]) return -1;
    return FirstSounding[Column];
}

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
    if (std::isnan(T)) return Out + "no data";
    Out.append(Number, std::to_chars(Number, Number + sizeof Number, T, std::chars_format::fixed, 1).ptr);
    return Out + " C";
}

TTimeHeightSection BuildSection(const std::vector<TSounding>& Soundings, const TSectionSize& Size)
{
    TTimeHeightSection S;
    S.Rows = std::max(1, Size.Rows);
    S.HeightMax = Size.HeightMax > 0 ? Size.HeightMax : 1;
    LayOutColumns(Soundings, std::max(1, Size.MaxColumns), S);
    S.Cells.assign(std::size_t(S.Columns) * S.Rows, NoValue);
    S.FreezingLevel.assign(std::size_t(S.Columns), NoValue);
    S.TropopauseHeight.assign(std::size_t(S.Columns), NoValue);
    S.SurfaceHeight.assign(std::size_t(S.Columns), NoValue);
    S.Launches.assign(std::size_t(S.Columns), sounding::TLaunchKey());

    // Each sampled sounding is copied with its levels at the heights they
    // are drawn at, so that levels with a computed height take part too.
    TSounding Drawn;
    std::vector<TProfilePoint> Profile;
    std::vector<float> Sum(std::size_t(S.Rows));
    std::vector<int> Count(std::size_t(S.Rows));
    for (int C = 0; C < S.Columns; ++C) {
        std::fill(Sum.begin(), Sum.end(), 0.0f);
        std::fill(Count.begin(), Count.end(), 0);
        double Freezing = 0, Tropopause = 0, Surface = 0;
        int Freezings = 0, Tropopauses = 0, Surfaces = 0;
        if (S.FirstSounding[C] < S.FirstSounding[C + 1]) {
            S.Titles[C] = Soundings[std::size_t(S.FirstSounding[C])].Title;
            S.Launches[C] = Soundings[std::size_t(S.FirstSounding[C])].Launch;
        }
        // A long run is sampled at most SamplesPerColumn times, evenly, so an
        // 80-year page costs about what a few years cost.
        const int First = S.FirstSounding[C], Run = S.FirstSounding[C + 1] - First;
        const int Samples = std::min(Run, SamplesPerColumn);
        for (int K = 0; K < Samples; ++K) {
            const int I = First + int(std::int64_t(K) * Run / Samples);
            Drawn.Levels = Soundings[std::size_t(I)].Levels;
            for (TSoundingLevel& L : Drawn.Levels) L.Height = sounding::LevelHeight(L);
            const TDerivedLevels D = DeriveLevels(Drawn, Profile);
            if (D.SurfaceHeight) Surface += *D.SurfaceHeight, ++Surfaces;
            if (D.SurfaceHeight && D.SurfaceBelowFreezing)
                Freezing += *D.SurfaceHeight, ++Freezings;
            else if (D.FreezingLevel)
                Freezing += *D.FreezingLevel, ++Freezings;
            if (D.Tropopause) Tropopause += D.Tropopause->Height, ++Tropopauses;
            AddProfile(Profile, S, Size.MaxGap, Sum.data(), Count.data());
        }
        float* Column = &S.Cells[std::size_t(C) * S.Rows];
        for (int R = 0; R < S.Rows; ++R)
            if (Count[R]) Column[R] = Sum[R] / Count[R];
        if (Freezings) S.FreezingLevel[C] = float(Freezing / Freezings);
        if (Tropopauses) S.TropopauseHeight[C] = float(Tropopause / Tropopauses);
        if (Surfaces) S.SurfaceHeight[C] = float(Surface / Surfaces);
    }
    return S;
}

std::string SectionHeading(const TTimeHeightSection& Section, const std::string& Name)
{
    // The first and the last column with a launch time.
    std::string First, Last, Station;
    for (int C = 0; C < Section.Columns; ++C) {
        const std::string& Title = Section.Titles[std::size_t(C)];
        const sounding::TLaunchKey Launch = Section.LaunchOf(C);
        if (Section.SoundingOf(C) < 0 || !sounding::LaunchHour(Launch)) continue;
        const std::string Date = sounding::DateText(Launch.Date());
        if (First.empty()) {
            First = Date;
            // The station is what the title holds before its date.
            const std::size_t At = Title.find(Date);
            Station = At == std::string::npos ? std::string() : Title.substr(0, At);
            while (!Station.empty() && (Station.back() == ' ' || Station.back() == ',')) Station.pop_back();
        }
        Last = Date;
    }
    if (First.empty()) return Name;
    const std::string Who = Station.empty() ? Name : "Station " + Station;
    return (Who.empty() ? std::string() : Who + ", ") + (First == Last ? First : First + " to " + Last);
}
