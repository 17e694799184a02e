#include "tools/CsvExport.h"

#include <charconv>
#include <cmath>
#include <cstring>

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

// The shortest text that reads back to Value, as std::to_chars writes it.
// Most values of a station file are few-decimal numbers (scaled integers
// in IGRA), written here as an integer with a point put in; the rest, and
// every case where the short form would differ, go to std::to_chars.
// Writes the integer N with a point K digits from its right, ending at
// End; returns where the text starts.
char* ScaledText(char* End, long long N, int K)
{
    char* p = End;
    unsigned long long u = static_cast<unsigned long long>(N < 0 ? -N : N);
    for (int digit = 0; digit < K; ++digit, u /= 10) *--p = char('0' + u % 10);
    if (K > 0) *--p = '.';
    do {
        *--p = char('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (N < 0) *--p = '-';
    return p;
}

long long Nearest(double Value) { return static_cast<long long>(Value < 0 ? Value - 0.5 : Value + 0.5); }

// Writes the shortest text of Value at Out (room for 32 characters);
// returns the end of it.
char* SingleChars(char* Out, float Value)
{
    static constexpr double kScale[] = {1, 10, 100, 1000};
    const double v = Value;
    const double size = std::fabs(v);
    char buf[32];
    char* const end = buf + sizeof buf;
    char* start = nullptr;
    if (v == 0) {
        start = end - (std::signbit(v) ? 2 : 1);
        start[0] = std::signbit(v) ? '-' : '0';
        if (std::signbit(v)) start[1] = '0';
    } else if (size < 8192) {
        // Below 8192 a float's spacing is finer than 0.001, so at most one
        // number of three decimals reads back to it; its trailing zeros go.
        long long n = Nearest(v * 1000);
        if (static_cast<float>(static_cast<double>(n) / 1000) == Value) {
            int k = 3;
            while (k > 0 && n % 10 == 0) n /= 10, --k;
            start = ScaledText(end, n, k);
        }
    } else if (size < 100000) {
        // Up to 100000 (and more may be written with an exponent): the
        // fewest decimals that read back.
        for (int k = 0; k < 4 && !start; ++k) {
            const long long n = Nearest(v * kScale[k]);
            if (static_cast<float>(static_cast<double>(n) / kScale[k]) == Value) start = ScaledText(end, n, k);
        }
    }
    if (!start) return std::to_chars(Out, Out + 32, Value).ptr;
    const std::size_t length = std::size_t(end - start);
    std::memcpy(Out, start, length);
    return Out + length;
}

void AppendSingle(std::string& Out, float Value)
{
    char buf[32];
    Out.append(buf, SingleChars(buf, Value));
}

}  // namespace

std::string SingleText(float Value)
{
    std::string text;
    AppendSingle(text, Value);
    return text;
}

bool WriteSoundingsCsv(const TLapseRates& Set, const TCsvSink& Sink, std::size_t PieceBytes)
{
    std::string out = "sounding,title,pressure,height,temperature,dewpoint_diff,wind_direction,wind_speed\n";
    out.reserve(PieceBytes + 4096);
    for (std::size_t i = 0; i < Set.Soundings.size(); ++i) {
        const TSounding& sounding = Set.Soundings[i];
        const std::string prefix = std::to_string(i) + ',' + CsvField(sounding.Title) + ',';
        if (sounding.Levels.empty()) {
            out += prefix;
            out += ",,,,,\n";
        }
        for (const TSoundingLevel& level : sounding.Levels) {
            // One row in a buffer of its own, appended at once.
            char row[6 * 33];
            char* p = row;
            for (const float value :
                 {level.Pressure, level.Height, level.Temperature, level.DewPointDiff, level.WindDirection}) {
                p = SingleChars(p, value);
                *p++ = ',';
            }
            p = SingleChars(p, level.WindSpeed);
            *p++ = '\n';
            out += prefix;
            out.append(row, p);
            if (out.size() >= PieceBytes) {
                if (!Sink(out)) return false;
                out.clear();
            }
        }
    }
    return out.empty() || Sink(out);
}

std::string SoundingsToCsv(const TLapseRates& Set)
{
    std::string text;
    WriteSoundingsCsv(Set, [&text](std::string_view Piece) {
        text.append(Piece);
        return true;
    });
    return text;
}
