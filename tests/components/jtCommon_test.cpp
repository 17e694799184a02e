#include "components/jtCommon.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// ------------------------------------------------------------ CopyRange, LeftText

TEST(CopyRange, clipsItsRange)
{
    struct Case {
        const char* Text;
        int First, Last;
        const char* Expected;
    };
    const Case cases[] = {
        {"abcd", 2, -1, "bcd"}, {"abcd", 0, 2, "ab"},   {"abcd", 5, -1, ""},    {"abcd", 4, 4, "d"},
        {"abcd", 3, 2, ""},     {"abcd", 2, 100, "bcd"}, {"abcd", -5, -5, "abcd"}, {"abcd", 1, 0, ""},
        {"", 1, -1, ""},        {"abcd", 2, 3, "bc"},
    };
    for (const Case& c : cases) EXPECT_EQ(CopyRange(c.Text, c.First, c.Last), c.Expected) << c.First << ".." << c.Last;
}

TEST(LeftText, takesAtMostCountCharacters)
{
    const std::pair<int, const char*> cases[] = {{-1, ""}, {0, ""}, {2, "ab"}, {4, "abcd"}, {10, "abcd"}};
    for (const auto& [count, expected] : cases) EXPECT_EQ(LeftText("abcd", count), expected) << count;
}

// ------------------------------------------------------------ PosFrom

TEST(PosFrom, findsFromTheStart)
{
    struct Case {
        const char* Text;
        const char* Sub;
        int Start;
        bool CaseSensitive;
        int Expected;
    };
    const Case cases[] = {
        {"abcabc", "bc", 1, true, 2},  {"abcabc", "bc", 2, true, 2},   {"abcabc", "bc", 3, true, 5},
        {"abcabc", "bc", 0, true, 2},  {"abcabc", "bc", -9, true, 2},  {"abcabc", "bc", 6, true, 0},
        {"abcabc", "bc", 7, true, 0},  {"abcabc", "", 1, true, 0},     {"", "a", 1, true, 0},
        {"xABc", "ab", 1, false, 2},   {"xABc", "ab", 1, true, 0},     {"abc", "abcd", 1, true, 0},
        {"abc", "c", 3, true, 3},      {"aaa", "aa", 2, true, 2},
        // Only a-z fold: '[' and '{', '@' and '`', and bytes above 127
        // differ by the same bit as a letter's cases but never match.
        {"x[y", "{", 1, false, 0},     {"x@y", "`", 1, false, 0},      {"x\xC4y", "\xE4", 1, false, 0},
        {"x[y", "[", 1, false, 2},     {"A1-z", "a1-Z", 1, false, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PosFrom(c.Text, c.Sub, c.Start, c.CaseSensitive), c.Expected)
            << c.Text << " / " << c.Sub << " from " << c.Start << (c.CaseSensitive ? "" : " ignoring case");
}

// ------------------------------------------------------------ Before, After, Between

struct MarkerCase {
    const char* Text;
    const char* Sub;
    bool CaseSensitive;
    const char* Before;
    const char* After;
};

TEST(TextBeforeAfter, cutAtTheFirstMarker)
{
    const MarkerCase cases[] = {
        {"key=value", "=", true, "key", "value"},   {"a=b=c", "=", true, "a", "b=c"},
        {"no marker", "=", true, "", ""},           {"=x", "=", true, "", "x"},
        {"x=", "=", true, "x", ""},                 {"text", "", true, "", ""},
        {"Head END tail", "end", false, "Head ", " tail"},
        {"Head END tail", "end", true, "", ""},
    };
    for (const MarkerCase& c : cases) {
        EXPECT_EQ(TextBefore(c.Text, c.Sub, c.CaseSensitive), c.Before) << c.Text;
        EXPECT_EQ(TextAfter(c.Text, c.Sub, c.CaseSensitive), c.After) << c.Text;
        EXPECT_EQ(jt::ViewBefore(c.Text, c.Sub, c.CaseSensitive), c.Before) << c.Text;
        EXPECT_EQ(jt::ViewAfter(c.Text, c.Sub, c.CaseSensitive), c.After) << c.Text;
    }
}

TEST(TextBetween, needsBothMarkersInOrder)
{
    struct Case {
        const char* Text;
        const char* Before;
        const char* After;
        bool CaseSensitive;
        const char* Expected;
    };
    const Case cases[] = {
        {"<b>bold</b>", "<b>", "</b>", true, "bold"},
        {"x</b>y<b>z", "<b>", "</b>", true, ""},  // the closing marker only before the opening one
        {"<b>open", "<b>", "</b>", true, ""},
        {"close</b>", "<b>", "</b>", true, ""},
        {"<B>one</b><b>two</b>", "<b>", "</b>", false, "one"},
        {"<B>one</b><b>two</b>", "<b>", "</b>", true, "two"},
        {"[][x]", "[", "]", true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextBetween(c.Text, c.Before, c.After, c.CaseSensitive), c.Expected) << c.Text;
        EXPECT_EQ(jt::ViewBetween(c.Text, c.Before, c.After, c.CaseSensitive), c.Expected) << c.Text;
    }
}

// ------------------------------------------------------------ Unquote, Trim

TEST(Unquote, removesOneLevelOfQuotes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"plain", "plain"},
        {"  \"a b\"  ", "a b"},
        {"\" x \"", "x"},
        {"\"", ""},
        {"\"\"", ""},
        {"\"\"\"", "\""},
        {"\"\"\"\"", "\""},
        {"\"a\"\"b\"", "a\"b"},
        {"\"a\"\"\"\"b\"", "a\"\"b"},
        {"\"a\"\"\"", "a\""},
        {"\"abc", "\"abc"},
        {"abc\"  ", "abc\""},
        {"\t\"q\"\r\n", "q"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Unquote(text), expected) << "[" << text << "]";
}

TEST(Trim, removesControlCharactersAndBlanksOnly)
{
    EXPECT_EQ(Trim(std::string("\0\t\r\n x y \x1F\x20", 10)), "x y");
    EXPECT_EQ(Trim("\x7Fx\xA0"), "\x7Fx\xA0");
    EXPECT_EQ(Trim(" \x21 "), "\x21");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim(" \t "), "");
}

// ------------------------------------------------------------ SplitText

TEST(SplitText, listsTheTokensBetweenDelimiters)
{
    using Tokens = std::vector<std::string>;
    struct Case {
        const char* Text;
        const char* Delimiters;
        Tokens Expected;
    };
    const Case cases[] = {
        {"one\ttwo\tthree\tx", "\t", {"one", "two", "three", "x"}},
        {",,a,,b,,", ",", {"a", "b"}},
        {"", ",", {}},
        {",,,", ",", {}},
        {"a b;c", " ;", {"a", "b", "c"}},
        {"aXbxc", "x", {"a", "b", "c"}},
        {"AxBXc", "X", {"A", "B", "c"}},
        {"whole text", "", {"whole text"}},
        {"z", ",", {"z"}},
        {"a,b,", ",", {"a", "b"}},
        {"[a{b", "[", {"a{b"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitText(c.Text, c.Delimiters), c.Expected) << c.Text;
}

// ------------------------------------------------------------ search against a plain scan

std::size_t NaiveFind(const std::string& Text, const std::string& Sub, std::size_t From, bool CaseSensitive)
{
    if (Sub.empty()) return std::string::npos;
    auto up = [&](char c) { return (!CaseSensitive && c >= 'a' && c <= 'z') ? char(c - 32) : c; };
    for (std::size_t i = From; i + Sub.size() <= Text.size(); ++i) {
        std::size_t k = 0;
        while (k < Sub.size() && up(Text[i + k]) == up(Sub[k])) ++k;
        if (k == Sub.size()) return i;
    }
    return std::string::npos;
}

// Long texts over a small alphabet, so that partial matches, matches across
// the sixteen-byte blocks and matches at the very end all occur.
TEST(FindText, agreesWithAPlainScan)
{
    std::mt19937 random(1890);
    const char alphabet[] = {'a', 'A', 'b', 'B', '<', '/', '>', '[', '{', '\0', '\xE4', '\xC4'};
    for (int round = 0; round < 400; ++round) {
        std::string text(random() % 120, ' ');
        for (char& c : text) c = alphabet[random() % sizeof alphabet];
        std::string sub(1 + random() % 4, ' ');
        for (char& c : sub) c = alphabet[random() % sizeof alphabet];
        if (random() % 3 == 0 && text.size() >= sub.size()) text.replace(text.size() - sub.size(), sub.size(), sub);
        const std::size_t from = random() % (text.size() + 3);
        for (const bool cs : {true, false}) {
            ASSERT_EQ(jt::FindText(text, sub, from, cs), NaiveFind(text, sub, from, cs))
                << "round " << round << (cs ? "" : " ignoring case");
        }
    }
}

TEST(FindMarker, agreesWithFindText)
{
    std::mt19937 random(2016);
    const char alphabet[] = {'<', '/', 'T', 'D', 'R', '>', 'c', 'e', 'n', 't', 'r', '\'', 'x'};
    for (int round = 0; round < 400; ++round) {
        std::string text(random() % 200, ' ');
        for (char& c : text) c = alphabet[random() % sizeof alphabet];
        if (round % 2) text.insert(random() % (text.size() + 1), "center'>");
        const std::size_t from = random() % (text.size() + 2);
        ASSERT_EQ(jt::FindMarker(text, "</TD>", from), jt::FindText(text, "</TD>", from, true)) << text;
        ASSERT_EQ(jt::FindMarker(text, "center'>", from), jt::FindText(text, "center'>", from, true)) << text;
        ASSERT_EQ(jt::FindMarker(text, "<", from), jt::FindText(text, "<", from, true)) << text;
        ASSERT_EQ(jt::FindMarker(text, "TR", from), jt::FindText(text, "TR", from, true)) << text;
    }
}

TEST(FindText, positionsAreCountedInTheWholeText)
{
    const std::string text = std::string(1000, 'x') + "NCDC page FOOTER" + std::string(5, 'x');
    EXPECT_EQ(jt::FindText(text, "ncdc PAGE footer", 0, false), 1000u);
    EXPECT_EQ(jt::FindText(text, "ncdc PAGE footer", 1000, false), 1000u);
    EXPECT_EQ(jt::FindText(text, "ncdc PAGE footer", 1001, false), std::string::npos);
    EXPECT_EQ(jt::FindText(text, "NCDC page FOOTER", 0, true), 1000u);
    EXPECT_EQ(jt::FindText(text, "x", text.size(), true), std::string::npos);
    EXPECT_EQ(jt::FindText(text, "x", text.size() + 7, true), std::string::npos);
}

}  // namespace
