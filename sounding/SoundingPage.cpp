// Reading a sounding page. The page is cut at fixed markers, not parsed as
// HTML: a body between the header and footer markers, one table per launch,
// one row per level, the values between "center'>" and "</TD>".
//
// Every scan works on views of the page and remembers where it found its
// marker last, so a page is read in one pass however many tables it has.

#include "sounding/LapseRates.h"

#include "sounding/Heights.h"

#include "components/jtCommon.h"
#include "components/jtSysUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr std::size_t npos = std::string_view::npos;

// The page markers are matched ignoring case, every other marker exactly.
constexpr std::string_view kHeaderMarker = "end: NCDC PAGE HEADER";
constexpr std::string_view kFooterMarker = "NCDC PAGE FOOTER";
constexpr char kTableStart[] = "<table";
constexpr char kTableEnd[] = "</table>";
constexpr char kColumnHead[] = "dpdiff_C</TD>";
constexpr char kRowStart[] = "<TR>";
constexpr char kRowEnd[] = "</TR>";
constexpr char kCellStart[] = "center'>";
constexpr char kCellEnd[] = "</TD>";

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// The launch a page's title names ("94610 2016-01-01 00Z"): the first date
// and hour "YYYY-MM-DD HHZ" in it (hour 00..23, or 99 for none), with what
// stands before them as the station; not known when the title has no such
// text, or its first one is no date of the calendar or no hour.
sounding::TLaunchKey LaunchOfTitle(std::string_view Title)
{
    for (std::size_t p = 0; p + 14 <= Title.size(); ++p) {
        const std::string_view at = Title.substr(p, 14);
        bool shape = at[4] == '-' && at[7] == '-' && at[10] == ' ' && at[13] == 'Z';
        for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12}) shape = shape && IsDigit(at[i]);
        if (!shape) continue;
        const std::optional<std::chrono::year_month_day> date = sounding::DateOfText(at.substr(0, 10));
        const int hour = (at[11] - '0') * 10 + (at[12] - '0');
        if (!date || (hour > 23 && hour != 99)) return {};
        std::string_view station = jt::TrimView(Title.substr(0, p));
        while (!station.empty() && station.back() == ',') station = jt::TrimView(station.substr(0, station.size() - 1));
        return sounding::LaunchKey(station, *date, hour);
    }
    return {};
}

template <std::size_t N>
constexpr std::size_t Length(const char (&)[N])
{
    return N - 1;
}

// The text after the first Marker; empty when there is none.
template <std::size_t N>
std::string_view After(std::string_view Text, const char (&Marker)[N])
{
    const std::size_t p = jt::FindMarker(Text, Marker, 0);
    return p == npos ? std::string_view() : Text.substr(p + N - 1);
}

// The first occurrence of one marker at or after a position, remembering the
// last answer: nothing starts between the position it searched from and the
// occurrence it found, so later questions about that stretch cost nothing.
template <std::size_t N>
class MarkerScan {
public:
    MarkerScan(std::string_view Text, const char (&Marker)[N]) : text_(Text), marker_(Marker) {}

    std::size_t Next(std::size_t From)
    {
        if (searched_ && From >= from_ && (at_ == npos || From <= at_)) return at_;
        if (searched_ && From < from_) {
            // Only the stretch before the one already searched is new. An
            // occurrence there is answered without forgetting the stretch
            // known to be empty, which later questions may still ask about.
            const std::size_t end = std::min(text_.size(), from_ + N - 2);
            const std::size_t p = jt::FindMarker(text_.substr(0, end), marker_, From);
            if (p != npos) return p;
            from_ = From;
            return at_;
        }
        searched_ = true;
        from_ = From;
        at_ = jt::FindMarker(text_, marker_, From);
        return at_;
    }

private:
    std::string_view text_;
    const char (&marker_)[N];
    bool searched_ = false;
    std::size_t from_ = 0;
    std::size_t at_ = npos;
};

float ToSingle(double Value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    if (Value > largest) return std::numeric_limits<float>::infinity();
    if (Value < -largest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(Value);
}

}  // namespace

TPageLoad TLapseRates::LoadPage(std::string_view Html)
{
    const std::uint64_t generation = ++loadGeneration_;
    Clear();

    const std::string_view body = jt::ViewBetween(Html, kHeaderMarker, kFooterMarker, false);
    if (body.empty()) return TPageLoad::MissingData;

    const char separator = jt::DecimalSeparator();
    MarkerScan starts(body, kTableStart);
    MarkerScan ends(body, kTableEnd);
    std::size_t rest = 0;  // the unread body starts here
    while (rest < body.size()) {
        const std::size_t s = starts.Next(rest);
        if (s == npos) break;
        const std::size_t e = ends.Next(rest);
        if (e == npos) break;
        // From the "<" of "<table" to the "<" of "</table>"; nothing when the
        // end marker comes first.
        const std::string_view table = e >= s ? body.substr(s, e - s + 1) : std::string_view();
        rest = e + Length(kTableEnd);
        ParseSounding(table, separator);
        if (ProcessMessages) {
            ProcessMessages();
            // A newer load has replaced the set: this page must not add to it.
            if (generation != loadGeneration_) return TPageLoad::Read;
        }
    }
    return TPageLoad::Read;
}

void TLapseRates::ParseSounding(std::string_view Table, char Separator)
{
    if (Table.empty()) return;
    // Appended at once: every table yields a sounding, even one without rows,
    // and a failing cell leaves the rows read so far in the set.
    Soundings.emplace_back();
    TSounding& sounding = Soundings.back();

    const std::string_view rest = After(After(Table, kColumnHead), kRowEnd);
    MarkerScan rowStarts(rest, kRowStart);
    MarkerScan rowEnds(rest, kRowEnd);
    std::size_t pos = 0;  // the unread rows start here
    bool first = true;
    // Stray "</TR>"s make the scan meet the same row again; its level is then
    // the same as last time, so it is taken from there instead of reading a
    // possibly long row once per stray end.
    std::size_t lastRow = npos;
    bool lastStored = false;
    // The first data row is both the title row and the first level, and the
    // body runs once even when there are no rows at all.
    do {
        std::string_view row;
        const std::size_t t = rowStarts.Next(pos);
        if (t != npos) {
            const std::size_t from = t + Length(kRowStart);
            const std::size_t u = rowEnds.Next(from);
            if (u != npos) row = rest.substr(from, u - from);
        }
        const std::size_t v = rowEnds.Next(pos);
        pos = v == npos ? rest.size() : v + Length(kRowEnd);
        if (first) {
            ParseTitle(sounding, row);
            first = false;
        }
        if (t != npos && t == lastRow) {
            if (lastStored) {
                const TSoundingLevel again = sounding.Levels.back();
                sounding.Levels.push_back(again);
            }
        } else {
            const std::size_t before = sounding.Levels.size();
            ParseLevel(sounding, row, Separator);
            lastRow = t;
            lastStored = sounding.Levels.size() > before;
        }
    } while (pos < rest.size());

    sounding.FixSurface();
    sounding::ComputeHeights(sounding);
}

void TLapseRates::ParseTitle(TSounding& Sounding, std::string_view Row)
{
    std::string_view title;
    const std::size_t c = jt::FindMarker(Row, kCellStart, 0);
    if (c != npos) {
        const std::size_t from = c + Length(kCellStart);
        const std::size_t end = jt::FindMarker(Row, kCellEnd, from);
        if (end != npos) title = Row.substr(from, end - from);
    }
    Sounding.Title = std::string(title);
    Sounding.Launch = LaunchOfTitle(Sounding.Title);
}

void TLapseRates::ParseLevel(TSounding& Sounding, std::string_view Row, char Separator)
{
    // The label cell is skipped.
    std::string_view cells = After(Row, kCellEnd);
    if (cells.empty()) return;
    const float pressure = ReadCell(cells, Separator);
    const float height = ReadCell(cells, Separator);
    const float temperature = ReadCell(cells, Separator);
    const float dewPointDiff = ReadCell(cells, Separator);
    const float windDirection = ReadCell(cells, Separator);
    const float windSpeed = ReadCell(cells, Separator);
    Sounding.AddReadLevel({pressure, height, temperature, dewPointDiff, windDirection, windSpeed});
}

float TLapseRates::ReadCell(std::string_view& Cells, char Separator)
{
    // The value comes from the next "center'>" wherever it is, while exactly
    // one cell is consumed: a cell without it takes its value from a later
    // cell. Usually the first "</TD>" closes that very cell, so one search
    // serves both.
    std::string_view text;
    std::size_t firstEnd;
    const std::size_t c = jt::FindMarker(Cells, kCellStart, 0);
    if (c == npos) {
        firstEnd = jt::FindMarker(Cells, kCellEnd, 0);
    } else {
        const std::size_t from = c + Length(kCellStart);
        const std::size_t end = jt::FindMarker(Cells, kCellEnd, from);
        if (end != npos) text = Cells.substr(from, end - from);
        // Is there an earlier "</TD>", one that ends before that value starts?
        firstEnd = jt::FindMarker(Cells.substr(0, std::min(Cells.size(), from + Length(kCellEnd) - 1)), kCellEnd, 0);
        if (firstEnd == npos) firstEnd = end;
    }
    Cells = firstEnd == npos ? std::string_view() : Cells.substr(firstEnd + Length(kCellEnd));
    if (text.empty()) return MissingValue;
    // A page is data: its numbers use "." whatever the locale; the user's
    // own separator is accepted as well.
    double value = 0;
    if (jt::TryTextToFloat(text, '.', value) || (Separator != '.' && jt::TryTextToFloat(text, Separator, value)))
        return ToSingle(value);
    return ToSingle(jt::TextToFloat(text, '.'));
}
