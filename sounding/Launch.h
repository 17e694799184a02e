#pragma once
// When a balloon went up: the launch key every reader fills as it reads, the
// calendar dates are checked against, the texts dates are written as
// ("YYYY-MM-DD", "HHZ", a range "FROM..TO") and hours since 1970-01-01 00Z,
// the time axis of the section. Times are taken from the key, never from a
// sounding's title.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sounding {

// What tells one launch from another: the station's full id, the date, the
// nominal hour (99: none given) and the release time. Every reader fills it
// as it reads (a sounding page from its launch's title).
struct TLaunchKey {
    // (In this order the key packs into 18 bytes, and a sounding into 80.)
    std::array<char, 11> Station{};  // blank-padded id ("USM00072403", "94610      ")
    std::uint8_t Month = 0;
    std::uint8_t Day = 0;
    std::uint8_t Hour = 99;     // 0..23, 99 when the file gives no nominal hour
    std::uint16_t Year = 0;     // 0: unknown
    std::int16_t Release = -1;  // HHMM of the release, -1 unknown

    bool Known() const { return Year != 0; }
    std::chrono::year_month_day Date() const
    {
        return std::chrono::year_month_day{std::chrono::year{Year}, std::chrono::month{Month}, std::chrono::day{Day}};
    }
};

// A known key: Station (up to 11 characters kept, blank-padded), the date,
// the nominal hour (0..23 or 99) and the release time (HHMM, -1 unknown).
TLaunchKey LaunchKey(std::string_view Station, std::chrono::year_month_day Date, int Hour, int Release = -1);
// The station id of a key without its padding.
std::string_view StationOf(const TLaunchKey& Key);

// Whether Year-Month-Day exists in the Gregorian calendar (years from 1).
bool IsCalendarDate(int Year, int Month, int Day);
// The date "YYYY-MM-DD" names when it exists in the calendar.
std::optional<std::chrono::year_month_day> DateOfText(std::string_view Text);
inline bool IsDateText(std::string_view Text) { return DateOfText(Text).has_value(); }

// "YYYY-MM-DD".
std::string DateText(std::chrono::year_month_day Date);
// "<station> YYYY-MM-DD HHZ", the label the readers give a launch ("99Z"
// without a nominal hour).
std::string LaunchTitle(std::string_view Station, const TLaunchKey& Key);

// Hours since 1970-01-01 00Z of a launch; a launch without a nominal hour
// goes last in its day (23Z), where the merged time line puts it. None for
// a key that is not known or not a date of the calendar.
std::optional<std::int64_t> LaunchHour(const TLaunchKey& Key);
// Hours since 1970-01-01 00Z of 00Z of a day.
std::int64_t DayStartHour(std::chrono::year_month_day Date);
// The day an hour since 1970-01-01 00Z lies in.
std::chrono::year_month_day DayOfHour(std::int64_t Hours);
// "YYYY-MM-DD HHZ" for hours since 1970-01-01 00Z.
std::string HourText(std::int64_t Hours);

// A date range "FROM..TO", each side "YYYY-MM-DD" or empty (open), spaces
// around allowed; "" is the whole set. False for any other text, and when
// FROM lies after TO.
bool ParseDateRange(std::string_view Text, std::string& From, std::string& To);
// "FROM..TO", or "" for the whole set.
std::string DateRangeText(std::string_view From, std::string_view To);

}  // namespace sounding
