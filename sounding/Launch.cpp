#include "sounding/Launch.h"

#include "components/jtCommon.h"

#include <algorithm>
#include <cstdio>

namespace sounding {

namespace {

using namespace std::chrono;

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

int Number(std::string_view Digits)
{
    int v = 0;
    for (char c : Digits) v = v * 10 + (c - '0');
    return v;
}

year_month_day DateOf(int Year, int Month, int Day)
{
    return year_month_day{year{Year}, month{unsigned(Month)}, day{unsigned(Day)}};
}

}  // namespace

TLaunchKey LaunchKey(std::string_view Station, year_month_day Date, int Hour, int Release)
{
    TLaunchKey key;
    key.Station.fill(' ');
    Station.copy(key.Station.data(), std::min(Station.size(), key.Station.size()));
    key.Year = std::uint16_t(int(Date.year()));
    key.Month = std::uint8_t(unsigned(Date.month()));
    key.Day = std::uint8_t(unsigned(Date.day()));
    key.Hour = std::uint8_t(Hour);
    key.Release = std::int16_t(Release);
    return key;
}

std::string_view StationOf(const TLaunchKey& Key)
{
    std::string_view id(Key.Station.data(), Key.Station.size());
    while (!id.empty() && (id.back() == ' ' || id.back() == '\0')) id.remove_suffix(1);
    return id;
}

bool IsCalendarDate(int Year, int Month, int Day)
{
    if (Year < 1 || Year > 32767 || Month < 1 || Month > 12 || Day < 1 || Day > 31) return false;
    return DateOf(Year, Month, Day).ok();
}

std::optional<year_month_day> DateOfText(std::string_view Text)
{
    if (Text.size() != 10 || Text[4] != '-' || Text[7] != '-') return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(Text[i])) return std::nullopt;
    const int y = Number(Text.substr(0, 4)), m = Number(Text.substr(5, 2)), d = Number(Text.substr(8, 2));
    if (!IsCalendarDate(y, m, d)) return std::nullopt;
    return DateOf(y, m, d);
}

std::string DateText(year_month_day Date)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", int(Date.year()), unsigned(Date.month()), unsigned(Date.day()));
    return text;
}

std::string LaunchTitle(std::string_view Station, const TLaunchKey& Key)
{
    char hour[8];
    std::snprintf(hour, sizeof hour, " %02dZ", int(Key.Hour));
    std::string title(Station);
    title += ' ';
    title += DateText(Key.Date());
    title += hour;
    return title;
}

std::optional<std::int64_t> LaunchHour(const TLaunchKey& Key)
{
    if (!Key.Known() || !IsCalendarDate(Key.Year, Key.Month, Key.Day) || (Key.Hour > 23 && Key.Hour != 99))
        return std::nullopt;
    return DayStartHour(Key.Date()) + (Key.Hour == 99 ? 23 : Key.Hour);
}

std::int64_t DayStartHour(year_month_day Date) { return std::int64_t(sys_days{Date}.time_since_epoch().count()) * 24; }

year_month_day DayOfHour(std::int64_t Hours) { return year_month_day{floor<days>(sys_time<hours>{hours{Hours}})}; }

std::string HourText(std::int64_t Hours)
{
    const year_month_day date = DayOfHour(Hours);
    char hour[8];
    std::snprintf(hour, sizeof hour, " %02dZ", int(Hours - DayStartHour(date)));
    return DateText(date) + hour;
}

bool ParseDateRange(std::string_view Text, std::string& From, std::string& To)
{
    Text = jt::TrimView(Text);
    if (Text.empty()) {
        From.clear();
        To.clear();
        return true;
    }
    const std::size_t dots = Text.find("..");
    if (dots == std::string_view::npos) return false;
    const std::string_view from = jt::TrimView(Text.substr(0, dots));
    const std::string_view to = jt::TrimView(Text.substr(dots + 2));
    if ((!from.empty() && !IsDateText(from)) || (!to.empty() && !IsDateText(to))) return false;
    if (!from.empty() && !to.empty() && from > to) return false;
    From = std::string(from);
    To = std::string(to);
    return true;
}

std::string DateRangeText(std::string_view From, std::string_view To)
{
    if (From.empty() && To.empty()) return {};
    return std::string(From) + ".." + std::string(To);
}

}  // namespace sounding
