#include "components/jtCommon.h"

#include <array>
#include <climits>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace jt {

namespace {

constexpr std::size_t npos = std::string_view::npos;

unsigned char UpperAZ(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }
bool IsLetterAZ(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool EqualAZ(const char* A, const char* B, std::size_t Length)
{
    for (std::size_t i = 0; i < Length; ++i)
        if (UpperAZ(static_cast<unsigned char>(A[i])) != UpperAZ(static_cast<unsigned char>(B[i]))) return false;
    return true;
}

// A byte c matches a needle byte when (c | Or) == Value: for a letter Or is
// 0x20 (only its two cases give the small letter), for anything else 0.
struct ByteMatch {
    unsigned char Or;
    unsigned char Value;
};

ByteMatch MatchFor(unsigned char c, bool CaseSensitive)
{
    if (CaseSensitive || !IsLetterAZ(c)) return {0, c};
    return {0x20, static_cast<unsigned char>(c | 0x20)};
}

// Candidates are the starts whose first and last bytes match the needle's;
// only those are compared in full. With SSE2 sixteen starts are filtered at
// once, so a page is scanned at memory speed even when the needle's first
// byte ("<") is everywhere.
std::size_t Find(std::string_view Text, std::string_view Sub, std::size_t From, bool CaseSensitive)
{
    const std::size_t n = Text.size();
    const std::size_t m = Sub.size();
    if (m == 0 || From > n || n - From < m) return npos;
    const char* h = Text.data();
    const char* s = Sub.data();
    const std::size_t last = m - 1;
    const std::size_t limit = n - m;  // the last possible start
    const std::size_t middle = m >= 2 ? m - 2 : 0;
    auto matchesMiddle = [&](std::size_t at) {
        return middle == 0 || (CaseSensitive ? std::memcmp(h + at + 1, s + 1, middle) == 0
                                             : EqualAZ(h + at + 1, s + 1, middle));
    };
    const ByteMatch first = MatchFor(static_cast<unsigned char>(s[0]), CaseSensitive);
    const ByteMatch end = MatchFor(static_cast<unsigned char>(s[last]), CaseSensitive);

    std::size_t i = From;
#if defined(__SSE2__)
    const __m128i or0 = _mm_set1_epi8(static_cast<char>(first.Or));
    const __m128i v0 = _mm_set1_epi8(static_cast<char>(first.Value));
    const __m128i or1 = _mm_set1_epi8(static_cast<char>(end.Or));
    const __m128i v1 = _mm_set1_epi8(static_cast<char>(end.Value));
    while (i <= limit && limit - i >= 15) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + last));
        const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, or0), v0),
                                          _mm_cmpeq_epi8(_mm_or_si128(b, or1), v1));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        while (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (matchesMiddle(at)) return at;
            mask &= mask - 1;
        }
        i += 16;
    }
#endif
    for (; i <= limit; ++i) {
        if ((static_cast<unsigned char>(h[i]) | first.Or) != first.Value) continue;
        if ((static_cast<unsigned char>(h[i + last]) | end.Or) != end.Value) continue;
        if (matchesMiddle(i)) return i;
    }
    return npos;
}

}  // namespace

// ------------------------------------------------------------ view forms

std::size_t FindText(std::string_view Text, std::string_view Sub, std::size_t From, bool CaseSensitive)
{
    return Find(Text, Sub, From, CaseSensitive);
}

std::string_view ViewRange(std::string_view Text, int First, int Last)
{
    const long long length = static_cast<long long>(Text.size());
    long long first = First < 1 ? 1 : First;
    if (first > length) return {};
    long long last = Last < 0 ? length : Last;
    if (last > length) last = length;
    if (last < first) return {};
    return Text.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
}

std::string_view ViewBefore(std::string_view Text, std::string_view Sub, bool CaseSensitive)
{
    const std::size_t p = Find(Text, Sub, 0, CaseSensitive);
    return p == npos ? std::string_view() : Text.substr(0, p);
}

std::string_view ViewAfter(std::string_view Text, std::string_view Sub, bool CaseSensitive)
{
    const std::size_t p = Find(Text, Sub, 0, CaseSensitive);
    return p == npos ? std::string_view() : Text.substr(p + Sub.size());
}

std::string_view ViewBetween(std::string_view Text, std::string_view Before, std::string_view After,
                             bool CaseSensitive)
{
    return ViewBefore(ViewAfter(Text, Before, CaseSensitive), After, CaseSensitive);
}

std::string_view TrimView(std::string_view Text)
{
    std::size_t b = 0;
    std::size_t e = Text.size();
    while (b < e && static_cast<unsigned char>(Text[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(Text[e - 1]) <= 32) --e;
    return Text.substr(b, e - b);
}

bool SameTextAZ(std::string_view A, std::string_view B)
{
    return A.size() == B.size() && EqualAZ(A.data(), B.data(), A.size());
}

std::string LowerAZ(std::string_view Text)
{
    std::string out(Text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

// ------------------------------------------------------------ text forms

std::string CopyRange(std::string_view Text, int First, int Last) { return std::string(ViewRange(Text, First, Last)); }

int PosFrom(std::string_view Text, std::string_view Sub, int Start, bool CaseSensitive)
{
    const std::size_t start = Start < 1 ? 0 : static_cast<std::size_t>(Start) - 1;
    if (start >= Text.size()) return 0;
    const std::size_t p = Find(Text, Sub, start, CaseSensitive);
    if (p == npos || p >= static_cast<std::size_t>(INT_MAX)) return 0;
    return static_cast<int>(p) + 1;
}

std::string LeftText(std::string_view Text, int Count)
{
    if (Count < 0) return {};
    return std::string(Text.substr(0, static_cast<std::size_t>(Count)));
}

std::string TextBefore(std::string_view Text, std::string_view Sub, bool CaseSensitive)
{
    return std::string(ViewBefore(Text, Sub, CaseSensitive));
}

std::string TextAfter(std::string_view Text, std::string_view Sub, bool CaseSensitive)
{
    return std::string(ViewAfter(Text, Sub, CaseSensitive));
}

std::string TextBetween(std::string_view Text, std::string_view Before, std::string_view After, bool CaseSensitive)
{
    return std::string(ViewBetween(Text, Before, After, CaseSensitive));
}

std::string Trim(std::string_view Text) { return std::string(TrimView(Text)); }

std::string Unquote(std::string_view Text)
{
    std::string_view t = TrimView(Text);
    if (t.empty()) return {};
    if (t.front() != '"' || t.back() != '"') return std::string(t);
    // A lone quote is both the first and the last character: nothing inside.
    const std::string_view inner = ViewRange(t, 2, static_cast<int>(t.size()) - 1);
    std::string out;
    out.reserve(inner.size());
    for (std::size_t i = 0; i < inner.size(); ++i) {
        out += inner[i];
        if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
    }
    return Trim(out);
}

std::vector<std::string> SplitText(std::string_view Text, std::string_view Delimiters)
{
    std::array<bool, 256> delimiter{};
    for (const char d : Delimiters) {
        const auto c = static_cast<unsigned char>(d);
        delimiter[c] = true;
        if (IsLetterAZ(c)) delimiter[c ^ 0x20] = true;
    }
    auto isDelimiter = [&](char c) { return delimiter[static_cast<unsigned char>(c)]; };

    std::vector<std::string> tokens;
    std::size_t i = 0;
    const std::size_t n = Text.size();
    while (i < n) {
        while (i < n && isDelimiter(Text[i])) ++i;
        std::size_t j = i;
        while (j < n && !isDelimiter(Text[j])) ++j;
        if (i < n) tokens.emplace_back(Text.substr(i, j - i));
        i = j + 1;
    }
    return tokens;
}

}  // namespace jt
