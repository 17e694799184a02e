#include "sounding/SourceReaders.h"

#include "components/jtCommon.h"
#include "sounding/Heights.h"
#include "sounding/SoundingSources.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

namespace {

// Knots to m/s.
constexpr double kKnot = 0.514444;

// Out-of-range numbers become infinities, as the page reader's do.
float ToSingle(double Value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    if (Value > largest) return std::numeric_limits<float>::infinity();
    if (Value < -largest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(Value);
}

// A right-aligned integer field of fixed columns: spaces, an optional minus,
// digits. False for anything else; an all-blank field reads as missing.
bool FixedInt(std::string_view Field, int& Value)
{
    std::size_t i = 0;
    while (i < Field.size() && Field[i] == ' ') ++i;
    if (i == Field.size()) {
        Value = -9999;
        return true;
    }
    bool negative = false;
    if (Field[i] == '-') {
        negative = true;
        ++i;
    }
    if (i == Field.size()) return false;
    int v = 0;
    for (; i < Field.size(); ++i) {
        if (!IsDigit(Field[i])) return false;
        v = v * 10 + (Field[i] - '0');
    }
    Value = negative ? -v : v;
    return true;
}

// FixedInt for a field of W (4 to 8) columns starting at Field, all
// eight bytes of it looked at together: spaces, one minus and digits are
// told apart in each byte at once, the order checked with masks, and the
// digits summed by multiplication. Anything but plain ASCII goes the
// column-by-column way.
template <std::size_t W>
bool FixedInt(const char* Field, int& Value)
{
    static_assert(W >= 4 && W <= 8);
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    // Built from a four-byte load and single bytes, so that the word never
    // goes through memory in pieces (a load that waits on several stores).
    std::uint32_t first = 0;
    std::memcpy(&first, Field, 4);
    std::uint64_t x = first;
    for (std::size_t i = 4; i < W; ++i) x |= std::uint64_t(static_cast<unsigned char>(Field[i])) << (8 * i);
    if (x & kHigh) return FixedInt(std::string_view(Field, W), Value);
    // The field at the top (its last column in the last byte), the bytes
    // before it spaces.
    if constexpr (W < 8) x = (x << (8 * (8 - W))) | (0x20 * kOnes >> (8 * W));
    const auto equal = [x](std::uint8_t C) {
        const std::uint64_t y = x ^ (C * kOnes);
        return ~(y + 0x7F * kOnes) & kHigh;
    };
    const std::uint64_t digits = (x + 0x50 * kOnes) & ~(x + 0x46 * kOnes) & kHigh;
    const std::uint64_t spaces = equal(' ');
    const std::uint64_t minus = equal('-');
    if (spaces == kHigh) {
        Value = -9999;
        return true;
    }
    const std::uint64_t others = ~digits & kHigh;
    const std::uint64_t otherBytes = (others >> 7) * 0xFF;
    // Every byte a space, a minus or a digit; the digits last, one or more;
    // a minus only right before them.
    if ((spaces | minus | digits) != kHigh || digits == 0 || (otherBytes & (otherBytes + 1)) != 0 ||
        (minus != 0 && minus != (others & ~(others >> 8))))
        return false;
    std::uint64_t v = (x & ((digits >> 7) * 0xFF)) - (0x30 * kOnes & ((digits >> 7) * 0xFF));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
        32;
    Value = minus ? -static_cast<int>(v) : static_cast<int>(v);
    return true;
}

// -9999 (missing) and -8888 (removed by quality control) are both missing.
float Scaled(int Raw, float Divisor)
{
    if (Raw == -9999 || Raw == -8888) return MissingValue;
    return static_cast<float>(Raw) / Divisor;
}

bool Digits(std::string_view Text)
{
    if (Text.empty()) return false;
    for (char c : Text)
        if (!IsDigit(c)) return false;
    return true;
}

}  // namespace

void TLineReaderBase::Warn(const std::string& What)
{
    if (warnings_.size() < kMaxWarnings) warnings_.push_back("line " + std::to_string(line_) + ": " + What);
}

void TLineReaderBase::Damage(const std::string& What)
{
    if (damaged_) return;
    damaged_ = true;
    damage_ = "line " + std::to_string(line_) + ": " + What;
}

void TLineReaderBase::SkipLaunch(const std::string& Name, const std::string& What)
{
    ++skipped_;
    if (warnings_.size() < kMaxWarnings)
        warnings_.push_back("line " + std::to_string(line_) + ": launch " + Name + " skipped: " + What);
}

void TLineReaderBase::MarkSurface()
{
    if (surface_ < 0) surface_ = int(out_.back().Levels.size()) - 1;
}

void TLineReaderBase::Close()
{
    if (!open_) return;
    open_ = false;
    TSounding& sounding = out_.back();
    if (damaged_ || levelLines_ == 0) {
        if (damaged_) {
            ++skipped_;
            if (warnings_.size() < kMaxWarnings) {
                const std::size_t colon = damage_.find(": ");
                warnings_.push_back(damage_.substr(0, colon) + ": launch " + sounding.Title +
                                    " skipped:" + damage_.substr(colon + 1));
            }
        }
        out_.pop_back();
        damaged_ = false;
        surface_ = -1;
        return;
    }
    // A header may announce far more levels than follow, and growth doubles:
    // the spare room goes, or a file of many short launches would hold
    // memory many times its size.
    std::vector<TSoundingLevel>& levels = sounding.Levels;
    if (levels.capacity() - levels.size() > 64) levels.shrink_to_fit();
    // The surface keeps its place: a surface without a height gets one
    // from the hypsometric equation like every other level.
    sounding.Surface = surface_;
    surface_ = -1;
    sounding::ComputeHeights(sounding);
}

TSounding& TLineReaderBase::Open(std::string Title)
{
    Close();
    out_.emplace_back();
    out_.back().Title = std::move(Title);
    open_ = true;
    damaged_ = false;
    levelLines_ = 0;
    surface_ = -1;
    return out_.back();
}

// ---- IGRA version 2 ----

// Header columns (1-based, inclusive): '#' 1, ID 2-12, YEAR 14-17, MONTH
// 19-20, DAY 22-23, HOUR 25-26, RELTIME 28-31, NUMLEV 33-36.
bool TIgraReader::IsHeader(std::string_view Text)
{
    return Text.size() >= 36 && Text[0] == '#' && Text[12] == ' ' && Digits(Text.substr(13, 4)) &&
           Digits(Text.substr(18, 2)) && Digits(Text.substr(21, 2)) && Digits(Text.substr(24, 2));
}

namespace {

int Number(std::string_view Digits)
{
    int v = 0;
    for (char c : Digits) v = v * 10 + (c - '0');
    return v;
}

}  // namespace

void TIgraReader::Line(std::string_view Text)
{
    ++line_;
    if (!Text.empty() && Text.back() == '\r') Text.remove_suffix(1);
    if (Text.empty()) return;
    if (Text[0] == '#') {
        Close();
        skipping_ = true;
        if (!IsHeader(Text)) {
            SkipLaunch(std::string(Text.substr(0, std::min<std::size_t>(Text.size(), 26))),
                       "a header line that is not an IGRA header");
            return;
        }
        const int year = Number(Text.substr(13, 4)), month = Number(Text.substr(18, 2)),
                  day = Number(Text.substr(21, 2)), hour = Number(Text.substr(24, 2));
        const std::string_view release = Text.substr(27, 4);
        const bool releaseKnown = Digits(release) && release != "9999";
        const int releaseHour = releaseKnown ? Number(release.substr(0, 2)) : 0;
        const int releaseMinute = releaseKnown ? Number(release.substr(2, 2)) : 0;
        const bool releaseOk = (release == "9999" || (Digits(release) && (releaseHour <= 23 || releaseHour == 99) &&
                                                      (releaseMinute <= 59 || releaseMinute == 99)));
        if (!sounding::IsCalendarDate(year, month, day) || (hour > 23 && hour != 99) || !releaseOk) {
            SkipLaunch(std::string(Text.substr(1, 11)) + " " + std::string(Text.substr(13, 13)),
                       "a header with an impossible date or hour");
            return;
        }
        skipping_ = false;
        std::string title;
        title.reserve(20);
        title.append(Text.substr(7, 5));  // the last five characters of the id
        title += ' ';
        title.append(Text.substr(13, 4));
        title += '-';
        title.append(Text.substr(18, 2));
        title += '-';
        title.append(Text.substr(21, 2));
        title += ' ';
        title.append(Text.substr(24, 2));
        title += 'Z';
        TSounding& sounding = Open(std::move(title));
        sounding::TLaunchKey& key = sounding.Launch;
        Text.substr(1, 11).copy(key.Station.data(), key.Station.size());
        key.Year = std::uint16_t(year);
        key.Month = std::uint8_t(month);
        key.Day = std::uint8_t(day);
        key.Hour = std::uint8_t(hour);
        key.Release = releaseKnown ? std::int16_t(Number(release)) : std::int16_t(-1);
        int announced = 0;
        if (FixedInt(Text.substr(32, 4), announced) && announced > 0)
            sounding.Levels.reserve(static_cast<std::size_t>(std::min(announced, 2000)));
        return;
    }
    if (skipping_) return;
    if (!open_) {
        Warn("a level line before any header line");
        return;
    }
    ++levelLines_;
    // Level columns: LVLTYP1 1, LVLTYP2 2 (1: surface), PRESS 10-15, GPH
    // 17-21, TEMP 23-27, DPDP 35-39, WDIR 41-45, WSPD 47-51; flags and
    // relative humidity between them are not read.
    if (Text.size() < 51) {
        Damage("a level line shorter than its 51 columns");
        return;
    }
    int p, z, t, d, dir, speed;
    const char* line = Text.data();
    if (!FixedInt<6>(line + 9, p) || !FixedInt<5>(line + 16, z) || !FixedInt<5>(line + 22, t) ||
        !FixedInt<5>(line + 34, d) || !FixedInt<5>(line + 40, dir) || !FixedInt<5>(line + 46, speed)) {
        Damage("a level line with something other than a number in its fixed columns");
        return;
    }
    if (out_.back().AddReadLevel(
            {Scaled(p, 100), Scaled(z, 1), Scaled(t, 10), Scaled(d, 10), Scaled(dir, 1), Scaled(speed, 10)}) &&
        Text[1] == '1')
        MarkSurface();
}

void TIgraReader::Finish() { Close(); }

// ---- Wyoming TEXT:LIST ----

namespace {

constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The launch of a heading "94610 YPPH Perth Airport Observations at 00Z 01
// Jan 2016" (station 94610, 2016-01-01, 00Z); none when the line does not
// read so.
std::optional<sounding::TLaunchKey> WyomingLaunch(std::string_view Heading)
{
    const std::size_t space = Heading.find(' ');
    const std::size_t at = Heading.rfind(" at ");
    if (space == std::string_view::npos || at == std::string_view::npos || at < space) return std::nullopt;
    const std::string_view station = Heading.substr(0, space);
    std::string_view when = jt::TrimView(Heading.substr(at + 4));  // "00Z 01 Jan 2016"
    if (when.size() != 15 || when[2] != 'Z' || when[3] != ' ' || when[6] != ' ' || when[10] != ' ') return std::nullopt;
    const std::string_view hour = when.substr(0, 2), day = when.substr(4, 2), month = when.substr(7, 3),
                           year = when.substr(11, 4);
    if (!Digits(hour) || !Digits(day) || !Digits(year) || !Digits(station)) return std::nullopt;
    int m = 0;
    while (m < 12 && kMonths[m] != month) ++m;
    if (m == 12) return std::nullopt;
    if (!sounding::IsCalendarDate(Number(year), m + 1, Number(day)) || Number(hour) > 23) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{Number(year)}, std::chrono::month{unsigned(m + 1)},
                                           std::chrono::day{unsigned(Number(day))}};
    return sounding::LaunchKey(station, date, Number(hour));
}

bool StartsWithNoCase(std::string_view Text, std::string_view Prefix)
{
    if (Text.size() < Prefix.size()) return false;
    for (std::size_t i = 0; i < Prefix.size(); ++i) {
        char c = Text[i];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c != Prefix[i]) return false;
    }
    return true;
}

}  // namespace

bool TWyomingReader::ReadColumns(std::string_view Text)
{
    pressure_ = height_ = temperature_ = dewPoint_ = direction_ = speed_ = {};
    std::size_t i = 0;
    while (i < Text.size()) {
        while (i < Text.size() && Text[i] == ' ') ++i;
        const std::size_t from = i;
        while (i < Text.size() && Text[i] != ' ') ++i;
        const std::string_view name = Text.substr(from, i - from);
        if (name == "PRES")
            pressure_.End = i;
        else if (name == "HGHT")
            height_.End = i;
        else if (name == "TEMP")
            temperature_.End = i;
        else if (name == "DWPT")
            dewPoint_.End = i;
        else if (name == "DRCT")
            direction_.End = i;
        else if (name == "SKNT")
            speed_.End = i, speedFactor_ = kKnot;
        else if (name == "SPED")
            speed_.End = i, speedFactor_ = 1;
    }
    return pressure_.End && temperature_.End;
}

void TWyomingReader::ReadLevel(std::string_view Text)
{
    bool bad = false;
    struct TCell {
        bool Present = false;
        double Value = 0;
        int Decimals = 0;
    };
    // The 7 characters ending at the column's end; blank = missing.
    auto field = [&](const TColumn& Column) {
        TCell cell;
        if (!Column.End || Column.End > Text.size() + 7) return cell;
        const std::size_t end = std::min(Column.End, Text.size());
        const std::size_t from = Column.End >= 7 ? Column.End - 7 : 0;
        if (from >= end) return cell;
        const std::string_view text = jt::TrimView(Text.substr(from, end - from));
        if (text.empty()) return cell;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), cell.Value);
        if (ec != std::errc() || ptr != text.data() + text.size()) {
            bad = true;
            return cell;
        }
        const std::size_t point = text.find('.');
        cell.Decimals = point == std::string_view::npos ? 0 : int(std::min<std::size_t>(text.size() - point - 1, 6));
        cell.Present = true;
        return cell;
    };
    // Read as the page reader reads its cells: a double, then single precision.
    auto single = [](const TCell& Cell) { return Cell.Present ? ToSingle(Cell.Value) : MissingValue; };
    const TCell pressure = field(pressure_), height = field(height_), temperature = field(temperature_),
                dewPoint = field(dewPoint_), direction = field(direction_), speed = field(speed_);
    if (bad) {
        Damage("a level line with something other than a number in a column");
        return;
    }
    TSoundingLevel level;
    level.Pressure = single(pressure);
    level.Height = single(height);
    level.Temperature = single(temperature);
    level.WindDirection = single(direction);
    if (temperature.Present && dewPoint.Present) {
        // Rounded to the decimals the two columns carry, so 19.2 - 9.2 is the
        // 10.0 a page would show, not 9.999999.
        const double scale = std::pow(10.0, std::max(temperature.Decimals, dewPoint.Decimals));
        level.DewPointDiff = ToSingle(std::round((temperature.Value - dewPoint.Value) * scale) / scale);
    }
    if (speed.Present) level.WindSpeed = ToSingle(speed.Value * speedFactor_);
    // The first row with a temperature is the surface; a 1000 hPa row
    // before it with a height lies below the ground.
    TSounding& sounding = out_.back();
    if (sounding.AddReadLevel(level)) {
        if (sounding.Levels.size() == 1) MarkSurface();
    } else if (sounding.Levels.empty() && level.Pressure == 1000 && height.Present &&
               std::fabs(height.Value) <= 30000 && height.Value == std::round(height.Value)) {
        sounding.Height1000BelowGround = std::int16_t(height.Value);
    }
}

void TWyomingReader::EndBlock()
{
    if (open_ && !haveColumns_) Damage("a sounding block without its column head");
    Close();
    state_ = State::Outside;
    haveColumns_ = false;
}

void TWyomingReader::Line(std::string_view Text)
{
    ++line_;
    if (!Text.empty() && Text.back() == '\r') Text.remove_suffix(1);
    const std::string_view trimmed = jt::TrimView(Text);
    if (StartsWithNoCase(trimmed, "<H2>")) {
        EndBlock();
        std::string_view heading = trimmed.substr(4);
        const std::size_t close = heading.find("</");
        if (close != std::string_view::npos) heading = heading.substr(0, close);
        heading = jt::TrimView(heading);
        const std::optional<sounding::TLaunchKey> launch = WyomingLaunch(heading);
        if (!launch) {
            SkipLaunch("'" + std::string(heading) + "'", "a heading without station, hour and a date that exists");
            return;
        }
        // Titled "94610 2016-01-01 00Z", the station as the heading gives it.
        TSounding& sounding = Open(sounding::LaunchTitle(heading.substr(0, heading.find(' ')), *launch));
        sounding.Launch = *launch;
        state_ = State::Head;
        return;
    }
    switch (state_) {
    case State::Outside:
        return;
    case State::Head:
        if (trimmed.empty() || StartsWithNoCase(trimmed, "<PRE>")) return;
        if (trimmed.front() == '<') {
            EndBlock();
            return;
        }
        if (!haveColumns_) {
            if (trimmed.front() == '-') return;  // the rule above the head
            haveColumns_ = ReadColumns(Text);
            if (!haveColumns_) {
                Damage("a sounding block whose head names no PRES and TEMP columns");
                Close();
                state_ = State::Outside;
            }
            return;
        }
        if (trimmed.front() == '-') state_ = State::Levels;  // the rule below the units
        return;
    case State::Levels:
        if (trimmed.empty()) return;
        if (trimmed.front() == '<') {
            EndBlock();
            return;
        }
        ++levelLines_;
        ReadLevel(Text);
        return;
    }
}

void TWyomingReader::Finish()
{
    if (state_ != State::Outside) Warn("the page ends inside a sounding block; it may be cut short");
    EndBlock();
}
