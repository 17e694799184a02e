#include "tools/CsvExport.h"

#include <charconv>

std::string SingleText(float Value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value);
    return std::string(buf, r.ptr);
}

std::string FixedText(double Value, int Decimals)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, Decimals);
    std::string text(buf, r.ptr);
    // A small negative value rounds to "-0.0": the sign says nothing.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string CsvField(std::string_view Text)
{
    if (Text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(Text);
    std::string out;
    out.reserve(Text.size() + 2);
    out += '"';
    for (const char c : Text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

namespace {

void AppendSingle(std::string& Out, float Value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value);
    Out.append(buf, r.ptr);
}

}  // namespace

std::string SoundingsToCsv(const TLapseRates& Set)
{
    std::string out = "sounding,title,pressure,height,temperature,dewpoint_diff,wind_direction,wind_speed\n";
    for (std::size_t i = 0; i < Set.Soundings.size(); ++i) {
        const TSounding& sounding = Set.Soundings[i];
        const std::string prefix = std::to_string(i) + ',' + CsvField(sounding.Title) + ',';
        if (sounding.Levels.empty()) {
            out += prefix;
            out += ",,,,,\n";
            continue;
        }
        for (const TSoundingLevel& level : sounding.Levels) {
            out += prefix;
            for (const float value : {level.Pressure, level.Height, level.Temperature, level.DewPointDiff,
                                      level.WindDirection}) {
                AppendSingle(out, value);
                out += ',';
            }
            AppendSingle(out, level.WindSpeed);
            out += '\n';
        }
    }
    return out;
}
