// The text functions on arbitrary texts and positions, each compared with a
// plain character-by-character reading of its rule (the library scans with
// SSE2 blocks and skips candidates; the plain readings do neither).
//
// Promises checked: no crash, hang or sanitizer report; every function,
// text and view form, gives the plain reading's result for every text,
// marker, position and case mode, the compile-time markers included.

#include "fuzz/FuzzSupport.h"

#include "components/jtCommon.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::size_t npos = std::string::npos;

char Up(char C) { return (C >= 'a' && C <= 'z') ? char(C - 32) : C; }

std::size_t PlainFind(const std::string& T, const std::string& S, std::size_t From, bool Cs)
{
    if (S.empty()) return npos;
    for (std::size_t i = From; i + S.size() <= T.size(); ++i) {
        std::size_t k = 0;
        while (k < S.size() && (Cs ? T[i + k] == S[k] : Up(T[i + k]) == Up(S[k]))) ++k;
        if (k == S.size()) return i;
    }
    return npos;
}

std::string PlainCopyRange(const std::string& T, int First, int Last)
{
    long long first = First < 1 ? 1 : First;
    const long long n = (long long)T.size();
    if (first > n) return {};
    long long last = Last < 0 ? n : Last;
    if (last > n) last = n;
    if (last < first) return {};
    return T.substr(size_t(first - 1), size_t(last - first + 1));
}

std::string PlainBefore(const std::string& T, const std::string& S, bool Cs)
{
    const std::size_t p = PlainFind(T, S, 0, Cs);
    return p == npos ? std::string() : T.substr(0, p);
}

std::string PlainAfter(const std::string& T, const std::string& S, bool Cs)
{
    const std::size_t p = PlainFind(T, S, 0, Cs);
    return p == npos ? std::string() : T.substr(p + S.size());
}

std::string PlainTrim(const std::string& T)
{
    std::size_t b = 0, e = T.size();
    while (b < e && (unsigned char)T[b] <= 32) ++b;
    while (e > b && (unsigned char)T[e - 1] <= 32) --e;
    return T.substr(b, e - b);
}

std::string PlainUnquote(const std::string& Text)
{
    std::string t = PlainTrim(Text);
    if (t.empty()) return t;
    if (t.front() == '"' && t.back() == '"') {
        t = PlainCopyRange(t, 2, int(t.size()) - 1);
        std::string out;
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i] == '"' && i + 1 < t.size() && t[i + 1] == '"') {
                out += '"';
                ++i;
            } else {
                out += t[i];
            }
        }
        t = out;
    }
    return PlainTrim(t);
}

std::vector<std::string> PlainSplit(const std::string& T, const std::string& D)
{
    auto delimiter = [&](char c) {
        for (char d : D)
            if (Up(d) == Up(c)) return true;
        return false;
    };
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < T.size()) {
        while (i < T.size() && delimiter(T[i])) ++i;
        std::size_t j = i;
        while (j < T.size() && !delimiter(T[j])) ++j;
        if (i < T.size()) out.push_back(T.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

template <std::size_t N>
void CheckMarker(const std::string& T, const char (&Marker)[N], std::size_t From)
{
    const std::size_t got = jt::FindMarker(T, Marker, From);
    const std::size_t want = PlainFind(T, Marker, From, true);
    FUZZ_CHECK(got == want, std::string("FindMarker '") + Marker + "' from " + std::to_string(From) + " in '" +
                                fuzz::Printable(T) + "'");
}

std::string Show(const std::string& T) { return "'" + fuzz::Printable(T, 120) + "'"; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv)
{
    fuzz::InitCore(Argc, Argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    FuzzedDataProvider in(Data, Size);
    const bool cs = in.ConsumeBool();
    const int a = in.ConsumeIntegral<int>();
    const int b = in.ConsumeIntegralInRange<int>(-3, 300);
    const std::string sub = in.ConsumeRandomLengthString(24);
    const std::string sub2 = in.ConsumeRandomLengthString(24);
    const std::string text = in.ConsumeRemainingBytesAsString();
    const int small = a % 300;
    const std::string cases = std::string(" with ") + (cs ? "case" : "no case") + ", text " + Show(text) +
                              ", sub " + Show(sub) + ", sub2 " + Show(sub2);

    for (const int first : {a, small, b}) {
        for (const int last : {b, small, -1, a}) {
            FUZZ_CHECK(jt::CopyRange(text, first, last) == PlainCopyRange(text, first, last),
                       "CopyRange " + std::to_string(first) + ".." + std::to_string(last) + cases);
            FUZZ_CHECK(jt::ViewRange(text, first, last) == PlainCopyRange(text, first, last), "ViewRange" + cases);
        }
        // PosFrom: 1-based, 0 for none.
        const std::size_t from = first < 1 ? 0 : std::size_t(first) - 1;
        std::size_t p = from >= text.size() ? npos : PlainFind(text, sub, from, cs);
        const int want = p == npos ? 0 : int(p) + 1;
        FUZZ_CHECK(jt::PosFrom(text, sub, first, cs) == want, "PosFrom " + std::to_string(first) + cases);
        FUZZ_CHECK(jt::LeftText(text, first) == (first < 0 ? std::string() : text.substr(0, std::size_t(first))),
                   "LeftText " + std::to_string(first) + cases);
        const std::size_t at = first < 0 ? std::size_t(-(long long)first) % (text.size() + 2) : std::size_t(first);
        FUZZ_CHECK(jt::FindText(text, sub, at, cs) == (at > text.size() ? npos : PlainFind(text, sub, at, cs)),
                   "FindText from " + std::to_string(at) + cases);
        CheckMarker(text, "<table", at);
        CheckMarker(text, "</table>", at);
        CheckMarker(text, "dpdiff_C</TD>", at);
        CheckMarker(text, "<TR>", at);
        CheckMarker(text, "center'>", at);
        CheckMarker(text, "</TD>", at);
        CheckMarker(text, "ab", at);
        CheckMarker(text, "a", at);
    }

    FUZZ_CHECK(jt::TextBefore(text, sub, cs) == PlainBefore(text, sub, cs), "TextBefore" + cases);
    FUZZ_CHECK(jt::TextAfter(text, sub, cs) == PlainAfter(text, sub, cs), "TextAfter" + cases);
    FUZZ_CHECK(jt::ViewBefore(text, sub, cs) == PlainBefore(text, sub, cs), "ViewBefore" + cases);
    FUZZ_CHECK(jt::ViewAfter(text, sub, cs) == PlainAfter(text, sub, cs), "ViewAfter" + cases);
    const std::string between = PlainBefore(PlainAfter(text, sub, cs), sub2, cs);
    FUZZ_CHECK(jt::TextBetween(text, sub, sub2, cs) == between, "TextBetween" + cases);
    FUZZ_CHECK(jt::ViewBetween(text, sub, sub2, cs) == between, "ViewBetween" + cases);
    FUZZ_CHECK(jt::Trim(text) == PlainTrim(text) && jt::TrimView(text) == PlainTrim(text), "Trim" + cases);
    FUZZ_CHECK(jt::Unquote(text) == PlainUnquote(text), "Unquote" + cases);
    FUZZ_CHECK(jt::Unquote(sub) == PlainUnquote(sub), "Unquote" + cases);
    FUZZ_CHECK(jt::SplitText(text, sub) == PlainSplit(text, sub), "SplitText" + cases);
    std::string upperText = text, upperSub = sub;
    for (char& c : upperText) c = Up(c);
    for (char& c : upperSub) c = Up(c);
    FUZZ_CHECK(jt::SameTextAZ(text, sub) == (upperText == upperSub), "SameTextAZ" + cases);
    FUZZ_CHECK(jt::SameTextAZ(text, upperText), "SameTextAZ of the upper-cased text" + cases);
    return 0;
}
