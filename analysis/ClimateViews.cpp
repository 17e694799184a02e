#include "analysis/ClimateViews.h"

#include "analysis/DerivedLevels.h"
#include "analysis/Indices.h"
#include "analysis/Quantities.h"
#include "sounding/Heights.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sounding {

namespace {

template <typename Source>
void AddColumns(std::vector<TClimateChoice>& Choices, std::span<const TQuantity<Source>> Quantities)
{
    for (const TQuantity<Source>& q : Quantities) {
        const int column = ClimateColumnOf(q.Column);
        if (q.Listed && column >= 0) Choices.push_back({q.Label, q.Unit, q.Decimals, column});
    }
}

std::vector<TClimateChoice> MakeChoices()
{
    std::vector<TClimateChoice> choices;
    AddColumns(choices, IndexQuantities());
    AddColumns(choices, LevelQuantities());
    for (const TProfileQuantity q : {TProfileQuantity::Temperature, TProfileQuantity::DewPoint})
        for (const double p : StandardPressures()) {
            const char* name = q == TProfileQuantity::Temperature ? "Temperature" : "Dew point";
            choices.push_back({std::string(name) + " at " + std::to_string(int(p)) + " hPa", "C", 1, -1, q, p});
        }
    return choices;
}

double Rounded(double V, int Decimals)
{
    const double scale = std::pow(10.0, Decimals);
    return std::round(V * scale) / scale;
}

// The value of a level for a profile quantity; missing when it has none.
double LevelValue(const TSoundingLevel& L, TProfileQuantity Q)
{
    if (L.Temperature == MissingValue) return MissingValue;
    if (Q == TProfileQuantity::Temperature) return L.Temperature;
    return L.DewPointDiff == MissingValue ? MissingValue : double(L.Temperature) - L.DewPointDiff;
}

// The value and height at Pressure: the level at that pressure, else linear
// in ln p between the nearest levels on either side that have both.
std::optional<TLaunchValue> AtPressure(const TSounding& S, TProfileQuantity Q, double Pressure)
{
    const TSoundingLevel *below = nullptr, *above = nullptr;
    for (const TSoundingLevel& L : S.Levels) {
        const double v = LevelValue(L, Q), z = LevelHeight(L);
        if (v == MissingValue || z == MissingValue || L.Pressure == MissingValue || L.Pressure <= 0) continue;
        if (L.Pressure == Pressure) return TLaunchValue{v, z};
        if (L.Pressure > Pressure && (!below || L.Pressure < below->Pressure)) below = &L;
        if (L.Pressure < Pressure && (!above || L.Pressure > above->Pressure)) above = &L;
    }
    if (!below || !above) return {};
    const double f = std::log(below->Pressure / Pressure) / std::log(double(below->Pressure) / above->Pressure);
    const auto mix = [f](double A, double B) { return A + f * (B - A); };
    return TLaunchValue{mix(LevelValue(*below, Q), LevelValue(*above, Q)),
                        mix(LevelHeight(*below), LevelHeight(*above))};
}

std::string Number(double V, int Decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", Decimals, V);
    std::string s = text;
    if (s == "-0" || s.rfind("-0.", 0) == 0) {
        // "-0.0" reads as a sign the value does not have.
        if (std::strtod(text, nullptr) == 0) s.erase(0, 1);
    }
    return s;
}

// One decimal at most: the line reads as a sentence, not a table.
std::string WithUnit(double V, const TClimateChoice& C)
{
    return Number(V, std::min(C.Decimals, 1)) + (C.Unit.empty() ? "" : " " + C.Unit);
}

std::string LaunchDate(const TLaunchKey& K)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02dZ", K.Year, K.Month, K.Day, K.Hour);
    return text;
}

}  // namespace

const std::vector<double>& StandardPressures()
{
    static const std::vector<double> pressures = {1000, 925, 850, 700, 500, 300, 250, 200, 100};
    return pressures;
}

const std::vector<TClimateChoice>& ClimateChoices()
{
    static const std::vector<TClimateChoice> choices = MakeChoices();
    return choices;
}

std::optional<TLaunchValue> LaunchValueOf(const TSounding& Sounding, const TClimateChoice& Choice)
{
    if (Choice.Column < 0) return AtPressure(Sounding, Choice.Profile, Choice.Pressure);
    const std::string name = ClimateColumnName(Choice.Column);
    std::optional<double> v;
    if (const TIndexQuantity* q = IndexQuantity(name))
        v = q->Of(ComputeIndices(Sounding));
    else
        for (const TLevelQuantity& l : LevelQuantities())
            if (name == l.Column) v = l.Of(DeriveLevels(Sounding));
    if (!v || !std::isfinite(*v)) return {};
    return TLaunchValue{Rounded(*v, Choice.Decimals), 0};
}

TClimateCell ChoiceCell(const TClimatology& Climate, const TClimateChoice& Choice, int Group, int Day, double Height)
{
    if (Choice.Column >= 0) return Climate.Column(Group, Choice.Column, Day);
    return Climate.ProfileAt(Group, Choice.Profile, Day, Height);
}

std::optional<double> ChoiceRank(const TClimatology& Climate, const TClimateChoice& Choice, int Group, int Day,
                                 const TLaunchValue& Value)
{
    if (Choice.Column >= 0) return Climate.Rank(Group, Choice.Column, Day, Value.Value);
    const TClimateCell cell = Climate.ProfileAt(Group, Choice.Profile, Day, Value.Height);
    if (!cell.Valid()) return {};
    const double v = Value.Value;
    if (v < cell.P10()) return 5.0;
    if (v > cell.P90()) return 95.0;
    const double ranks[] = {10, 25, 50, 75, 90};
    for (int i = 0; i < 4; ++i) {
        const double a = cell.P[std::size_t(i)], b = cell.P[std::size_t(i) + 1];
        if (v <= b) return b > a ? ranks[i] + (v - a) / (b - a) * (ranks[i + 1] - ranks[i]) : ranks[i];
    }
    return 90.0;
}

std::string Ordinal(int N)
{
    const int tens = N % 100, last = N % 10;
    const char* suffix = (tens >= 11 && tens <= 13) ? "th"
                         : last == 1                ? "st"
                         : last == 2                ? "nd"
                         : last == 3                ? "rd"
                                                    : "th";
    return std::to_string(N) + suffix;
}

std::string ClimateSentence(const TClimatology& Climate, const TClimateChoice& Choice, const TSounding& Sounding)
{
    const TLaunchKey& key = Sounding.Launch;
    const int group = LaunchGroup(key), day = ClimateDay(key);
    const std::optional<TLaunchValue> value = LaunchValueOf(Sounding, Choice);
    const std::string date = key.Known() ? LaunchDate(key) : Sounding.Title;
    if (!value) return Choice.Label + " on " + date + ": none in this launch";
    std::string line = Choice.Label + " " + WithUnit(value->Value, Choice) + " on " + date;
    if (Choice.Column < 0) line += " (at " + Number(value->Height, 0) + " m)";
    const TClimateCell cell =
        group < 0 || day < 1 ? TClimateCell{} : ChoiceCell(Climate, Choice, group, day, value->Height);
    const std::optional<double> rank =
        cell.Valid() ? ChoiceRank(Climate, Choice, group, day, *value) : std::optional<double>();
    if (!rank) return line + ": too few launches of the date for a climatology";
    std::string where;
    if (Choice.Column < 0 && *rank < 10)
        where = "below the 10th percentile";
    else if (Choice.Column < 0 && *rank > 90)
        where = "above the 90th percentile";
    else
        where = Ordinal(std::clamp(int(std::lround(*rank)), 1, 99)) + " percentile";
    return line + ": " + where + " for the date (median " + WithUnit(cell.Median(), Choice) + ", " +
           std::to_string(Climate.Years()) + (Climate.Years() == 1 ? " year)" : " years)");
}

std::string ClimateSpanText(const TClimatology& Climate)
{
    std::string launches = std::to_string(Climate.Launches());
    for (int i = int(launches.size()) - 3; i > 0; i -= 3) launches.insert(std::size_t(i), ",");
    return "Climatology of " + std::to_string(Climate.FirstYear()) + "-" + std::to_string(Climate.LastYear()) + ": " +
           std::to_string(Climate.Years()) + (Climate.Years() == 1 ? " year, " : " years, ") + launches + " launches";
}

TTimeHeightSection AnomalySection(const TTimeHeightSection& Section, const std::vector<TSounding>& Soundings,
                                  const TClimatology& Climate)
{
    TTimeHeightSection anomaly = Section;
    const float none = std::nanf("");
    for (int c = 0; c < Section.Columns; ++c) {
        const int s = Section.SoundingOf(c);
        const TLaunchKey* key = s >= 0 && s < int(Soundings.size()) ? &Soundings[std::size_t(s)].Launch : nullptr;
        const int group = key ? LaunchGroup(*key) : -1, day = key ? ClimateDay(*key) : 0;
        for (int r = 0; r < Section.Rows; ++r) {
            float& cell = anomaly.Cells[std::size_t(c) * Section.Rows + r];
            if (std::isnan(cell)) continue;
            const TClimateCell normal =
                group < 0 || day < 1 ? TClimateCell{} : Climate.TemperatureAt(group, day, Section.RowHeight(r));
            cell = normal.Valid() ? cell - normal.Median() : none;
        }
    }
    return anomaly;
}

double AnomalyLimit(const TTimeHeightSection& Anomaly)
{
    std::vector<float> sizes;
    for (const float v : Anomaly.Cells)
        if (!std::isnan(v)) sizes.push_back(std::fabs(v));
    if (sizes.empty()) return 2;
    const std::size_t at = std::min(sizes.size() - 1, std::size_t(0.98 * double(sizes.size())));
    std::nth_element(sizes.begin(), sizes.begin() + std::ptrdiff_t(at), sizes.end());
    return std::max(2.0, std::ceil(double(sizes[at])));
}

}  // namespace sounding
