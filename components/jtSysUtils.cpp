#include "components/jtSysUtils.h"

#include "platform/Platform.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

namespace jt {

char DecimalSeparator() { return platform::system().DecimalSeparator(); }

namespace {

template <typename Real>
bool ParseFloat(std::string_view Text, char Separator, Real& Value, bool TrailingBlanks)
{
    const char* p = Text.data();
    const char* const end = p + Text.size();
    while (p < end && *p == ' ') ++p;
    const char* const start = p;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '+' || *p == '-')) ++p;
    size_t digits = 0;
    bool separator = false;
    // The digits as a whole number and the count of those after the
    // separator, while that number stays exact in a double.
    constexpr std::uint64_t exactLimit = std::uint64_t(1) << 53;
    std::uint64_t mantissa = 0;
    int fractionDigits = 0;
    bool exact = true;
    for (; p < end; ++p) {
        if (*p >= '0' && *p <= '9') {
            ++digits;
            if (exact) {
                mantissa = mantissa * 10 + std::uint64_t(*p - '0');
                if (mantissa > exactLimit) exact = false;
                if (separator) ++fractionDigits;
            }
        } else if (*p == Separator && !separator) {
            separator = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    bool exponent = false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        exponent = true;
        ++p;
        if (p < end && (*p == '+' || *p == '-')) ++p;
        const char* expDigits = p;
        while (p < end && *p >= '0' && *p <= '9') ++p;
        if (p == expDigits) return false;
    }
    const char* const numberEnd = p;
    if (TrailingBlanks)
        while (p < end && *p == ' ') ++p;
    if (p != end) return false;

    // Most numbers are a few digits with a few decimals: an exact whole
    // number divided by an exact power of ten is one correctly rounded
    // operation, the same value the full conversion gives.
    static constexpr double powersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (std::is_same_v<Real, double> && exact && !exponent && fractionDigits <= 22) {
        const double v = double(mantissa) / powersOfTen[fractionDigits];
        Value = negative ? -v : v;
        return true;
    }

    // from_chars wants "." and no "+" sign.
    const char* s = start;
    if (*s == '+') ++s;
    const size_t len = size_t(numberEnd - s);
    char small[64];
    std::string large;
    char* buf = small;
    if (len > sizeof small) {
        large.assign(s, len);
        buf = large.data();
    } else {
        std::memcpy(buf, s, len);
    }
    if (separator && Separator != '.')
        for (size_t i = 0; i < len; ++i)
            if (buf[i] == Separator) buf[i] = '.';
    Real v = 0;
    const auto r = std::from_chars(buf, buf + len, v);
    if (r.ec == std::errc::result_out_of_range) {
        // Overflow gives infinity, underflow zero, as the conversion of the
        // platform does; the text itself is a number.
        const char* e = std::find_if(buf, buf + len, [](char c) { return c == 'e' || c == 'E'; });
        const bool tiny = e != buf + len && e + 1 < buf + len && e[1] == '-';
        v = tiny ? Real(0) : std::numeric_limits<Real>::infinity();
        if (negative) v = -v;
    } else if (r.ec != std::errc() || r.ptr != buf + len) {
        return false;
    }
    Value = v;
    return true;
}

}  // namespace

bool TryTextToFloat(std::string_view Text, char Separator, double& Value, bool TrailingBlanks)
{
    return ParseFloat(Text, Separator, Value, TrailingBlanks);
}

bool TryTextToFloat(std::string_view Text, char Separator, long double& Value, bool TrailingBlanks)
{
    return ParseFloat(Text, Separator, Value, TrailingBlanks);
}

double TextToFloat(std::string_view Text, char Separator)
{
    double v = 0;
    if (!TryTextToFloat(Text, Separator, v))
        throw EConvertError("'" + std::string(Text) + "' is not a valid floating point value");
    return v;
}

double TextToFloat(std::string_view Text) { return TextToFloat(Text, DecimalSeparator()); }

bool TryTextToInt(std::string_view Text, std::int32_t& Value)
{
    size_t i = 0;
    while (i < Text.size() && Text[i] == ' ') ++i;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
        negative = Text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < Text.size() && Text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < Text.size() && Text[i] == '0' && (Text[i + 1] == 'x' || Text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == Text.size()) return false;
    std::uint64_t v = 0;
    for (; i < Text.size(); ++i) {
        const char c = Text[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * (hex ? 16 : 10) + std::uint64_t(d);
        if (v > 0xFFFFFFFFull) return false;
    }
    if (hex) {
        std::uint32_t u = std::uint32_t(v);
        if (negative) u = 0u - u;
        Value = std::int32_t(u);
        return true;
    }
    if (negative) {
        if (v > 0x80000000ull) return false;
        Value = std::int32_t(-std::int64_t(v));
    } else {
        if (v > 0x7FFFFFFFull) return false;
        Value = std::int32_t(v);
    }
    return true;
}

std::int32_t TextToInt(std::string_view Text)
{
    std::int32_t v = 0;
    if (!TryTextToInt(Text, v))
        throw EConvertError("'" + std::string(Text) + "' is not a valid integer value");
    return v;
}

std::string FormatGeneral(long double Value, int Precision, char Separator)
{
    if (Precision < 2) Precision = 2;
    if (Precision > 18) Precision = 18;
    if (std::isnan(Value)) return "NAN";
    if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
    if (Value == 0) return "0";

    // Round to Precision significant digits: d.ddddde+X
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", Precision - 1, Value);
    std::string out;
    const char* p = buf;
    if (*p == '-') {
        out += '-';
        ++p;
    }
    std::string digits;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    const int exp10 = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int e = exp10 + 1;  // x = 0.d1d2... * 10^e

    if (e > Precision || e < -3) {
        out += digits[0];
        if (digits.size() > 1) {
            out += Separator;
            out.append(digits, 1, std::string::npos);
        }
        out += 'E';
        if (e - 1 < 0) out += '-';
        out += std::to_string(std::abs(e - 1));
        return out;
    }
    if (e > 0) {
        if (int(digits.size()) <= e) {
            out += digits;
            out.append(size_t(e) - digits.size(), '0');
        } else {
            out.append(digits, 0, size_t(e));
            out += Separator;
            out.append(digits, size_t(e), std::string::npos);
        }
    } else {
        out += '0';
        out += Separator;
        out.append(size_t(-e), '0');
        out += digits;
    }
    return out;
}

std::string FloatToText(long double Value) { return FormatGeneral(Value, 15, DecimalSeparator()); }

std::string FormatFixed(long double Value, int Decimals, char Separator)
{
    if (Decimals < 0) Decimals = 0;
    if (Decimals > 60) Decimals = 60;
    const int n = std::snprintf(nullptr, 0, "%4.*Lf", Decimals, Value);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    std::snprintf(out.data(), out.size() + 1, "%4.*Lf", Decimals, Value);
    if (Separator != '.')
        for (char& c : out)
            if (c == '.') c = Separator;
    return out;
}

std::string FormatFixed(long double Value, int Decimals) { return FormatFixed(Value, Decimals, DecimalSeparator()); }

}  // namespace jt

std::string FixedText(double Value, int Decimals)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, std::clamp(Decimals, 0, 60));
    if (r.ec != std::errc()) return jt::FormatFixed(Value, Decimals, '.');
    std::string text(buf, r.ptr);
    // A small negative value rounds to "-0.0": the sign says nothing.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}
