#pragma once
// Text functions on 8-bit texts, shared by the page parser and the settings
// component. Positions are 1-based; "ignoring case" means that the letters
// a-z compare equal to A-Z and every other byte only to itself. No function
// fails on empty or out-of-range arguments.
//
// Besides the std::string forms there are std::string_view forms (0-based,
// npos for "not found") for scanners that walk a large text and must not copy
// the rest of it at every step. A view they return points into the text they
// were given, so that text must outlive the view.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace jt {

// ------------------------------------------------------------ text forms

// Characters First to Last (1-based, both included). First below 1 counts as
// 1, Last below 0 as the end of Text; empty when First lies past the end or
// Last < First.
std::string CopyRange(std::string_view Text, int First, int Last);

// Position of the first Sub at or after Start (1-based), 0 when there is
// none; an empty Sub is never found.
int PosFrom(std::string_view Text, std::string_view Sub, int Start, bool CaseSensitive);

// The first Count characters; empty when Count < 0.
std::string LeftText(std::string_view Text, int Count);

// The characters before the first Sub; empty when Sub does not occur.
std::string TextBefore(std::string_view Text, std::string_view Sub, bool CaseSensitive);
// The characters after the first Sub; empty when Sub does not occur.
std::string TextAfter(std::string_view Text, std::string_view Sub, bool CaseSensitive);
// The text between the first Before and the first After that follows it;
// empty when either is missing.
std::string TextBetween(std::string_view Text, std::string_view Before, std::string_view After,
                        bool CaseSensitive);

// Trimmed; when the text then starts and ends with a double quote, the
// quotes are removed, doubled quotes inside become single ones, and the
// result is trimmed again.
std::string Unquote(std::string_view Text);

// The maximal runs of non-delimiter characters, in order; a character is a
// delimiter when it occurs in Delimiters, ignoring case. No empty tokens.
std::vector<std::string> SplitText(std::string_view Text, std::string_view Delimiters);

// Text without the characters of code 0 to 32 at both ends.
std::string Trim(std::string_view Text);

// ------------------------------------------------------------ view forms

// 0-based position of the first Sub at or after From, or npos. An empty Sub
// is never found. Linear in the length searched.
std::size_t FindText(std::string_view Text, std::string_view Sub, std::size_t From, bool CaseSensitive);

// FindText for a marker known when compiling, matched exactly: the same
// result, at a fraction of the cost per call, for scanners that look for the
// same few markers millions of times.
template <std::size_t N>
std::size_t FindMarker(std::string_view Text, const char (&Marker)[N], std::size_t From);

// Views into Text with the meaning of the text forms above.
std::string_view ViewRange(std::string_view Text, int First, int Last);
std::string_view ViewBefore(std::string_view Text, std::string_view Sub, bool CaseSensitive);
std::string_view ViewAfter(std::string_view Text, std::string_view Sub, bool CaseSensitive);
std::string_view ViewBetween(std::string_view Text, std::string_view Before, std::string_view After,
                             bool CaseSensitive);
std::string_view TrimView(std::string_view Text);

// Equal after upper-casing a-z.
bool SameTextAZ(std::string_view A, std::string_view B);
// The text with A-Z lower-cased; every other byte as it is.
std::string LowerAZ(std::string_view Text);

// ------------------------------------------------------------ inline parts

template <std::size_t N>
inline std::size_t FindMarker(std::string_view Text, const char (&Marker)[N], std::size_t From)
{
    static_assert(N >= 2, "a marker has at least one character");
    constexpr std::size_t m = N - 1;  // without the terminating zero
    constexpr std::size_t last = m - 1;
    const std::size_t n = Text.size();
    if (From > n || n - From < m) return std::string_view::npos;
    const char* h = Text.data();
    const std::size_t limit = n - m;  // the last possible start
    // Only starts whose first and last bytes match are compared in full.
    auto matches = [&](std::size_t at) {
        if constexpr (m > 2) return std::char_traits<char>::compare(h + at + 1, Marker + 1, m - 2) == 0;
        else return true;
    };
    std::size_t i = From;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(Marker[0]);
    const __m128i lastByte = _mm_set1_epi8(Marker[last]);
    while (i <= limit && limit - i >= 15) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + last));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, lastByte))));
        while (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (matches(at)) return at;
            mask &= mask - 1;
        }
        i += 16;
    }
#endif
    for (; i <= limit; ++i)
        if (h[i] == Marker[0] && h[i + last] == Marker[last] && matches(i)) return i;
    return std::string_view::npos;
}

}  // namespace jt

// The unit's functions are free functions; code written against the unit
// calls them unqualified.
using jt::CopyRange;
using jt::LeftText;
using jt::PosFrom;
using jt::SplitText;
using jt::TextAfter;
using jt::TextBefore;
using jt::TextBetween;
using jt::Trim;
using jt::Unquote;
