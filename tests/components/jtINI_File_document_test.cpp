// The settings document: grammar, merge rule, section index and the three
// writers, byte for byte.
#include "support/TestFiles.h"
#include "components/jtINI_Document.h"
#include "platform/Fakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

namespace {

using testfiles::Slurp;

// Sections in index order, each with its records: "Name{k=v,k2=v2}|...".
std::string Dump(const TjtINI_Document& D)
{
    std::string out;
    for (int i = 0; i < D.Sections.Count(); ++i) {
        if (i) out += '|';
        const T_jt_ini_Section& S = D.Sections.Section(i);
        out += S.Name + "{";
        for (size_t r = 0; r < S.Records.size(); ++r) {
            if (r) out += ',';
            out += S.Records[r].Key.str() + "=" + S.Records[r].Value.str();
        }
        out += "}";
    }
    return out;
}

// Runs one writer into a fresh file and returns the bytes written.
std::string Written(const std::function<void(TTextFile&)>& Writer)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("out.ini").toStdString();
    TTextFile f(path);
    f.Rewrite();
    Writer(f);
    f.Close();
    return Slurp(path);
}

// ---------------------------------------------------------------- grammar

struct GrammarCase {
    const char* name;
    std::vector<std::string> lines;
    std::string expected;
};

void PrintTo(const GrammarCase& c, std::ostream* os) { *os << c.name; }

class IniGrammar : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(IniGrammar, parsesIntoSectionsAndRecords)
{
    TjtINI_Document d;
    d.ParseStrings(GetParam().lines);
    EXPECT_EQ(Dump(d), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniGrammar,
    ::testing::Values(
        GrammarCase{"headerLosesLastCharacterWhateverItIs", {"[Temperature", "a=1"}, "Temperatur{a=1}"},
        GrammarCase{"emptyBracketsNameEmptySection", {"[]", "a=1"}, "{a=1}"},
        GrammarCase{"loneBracketNamesEmptySection", {"[", "a=1"}, "{a=1}"},
        GrammarCase{"commentAfterHeaderStaysInName", {"[Sec] ;note", "a=1"}, "Sec] ;not{a=1}"},
        GrammarCase{"blanksInsideBracketsCount", {"[ A ]", "a=1", "[A]", "b=2"}, " A {a=1}|A{b=2}"},
        GrammarCase{"lineStartingWithEqualsHasEmptyKey", {"[S]", "=5"}, "S{=5}"},
        GrammarCase{"noteAfterValueIsPartOfValue", {"[S]", "k = v ; note"}, "S{k=v ; note}"},
        GrammarCase{"secondEqualsBelongsToValue", {"[S]", "k = a = b"}, "S{k=a = b}"},
        GrammarCase{"commentsByFirstCharacter",
                    {"[S]", "  ; x=1", "// x=1", "/x=1", ":x=1", "'x=1", "\t;y=2"},
                    ""},
        GrammarCase{"otherFirstCharacterWithEqualsIsKeyLine", {"[S]", "#x=1", "-y = 2"}, "S{#x=1,-y=2}"},
        GrammarCase{"lineWithoutEqualsIsIgnored", {"[S]", "plain words", "k=1"}, "S{k=1}"},
        GrammarCase{"tabsAndControlCharactersTrimmed", {"[S]", "\t51000  =\t -2.5\r", "color  = $FF0000"},
                    "S{51000=-2.5,color=$FF0000}"},
        GrammarCase{"keysBeforeFirstHeaderGoToStartOfFile", {"top=1", "[S]", "k=2"},
                    "__StartOfFile{top=1}|S{k=2}"},
        GrammarCase{"headerWithoutKeysCreatesNothing", {"[Empty]", "[B]", "k=1"}, "B{k=1}"},
        GrammarCase{"sectionContinuesInOtherCaseAndKeepsFirstSpelling",
                    {"[Temperature]", "a=1", "[x]", "c=3", "[TEMPERATURE]", "b=2"},
                    "Temperature{a=1,b=2}|x{c=3}"},
        GrammarCase{"repeatedKeyIsOneRecordWithLastValue", {"[S]", "key=1", "KEY=2"}, "S{key=2}"},
        GrammarCase{"quotesStayInValue", {"[S]", "k = \"a b\""}, "S{k=\"a b\"}"}),
    [](const ::testing::TestParamInfo<GrammarCase>& info) { return std::string(info.param.name); });

TEST(IniDocument, everyParseStartsInStartOfFile)
{
    TjtINI_Document d;
    d.ParseStrings({"[A]", "a=1"});
    d.ParseStrings({"b=2"});
    EXPECT_EQ(Dump(d), "__StartOfFile{b=2}|A{a=1}");
}

TEST(IniDocument, parseTextReadsEveryLineOfAFile)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("a.ini").toStdString();
    std::ofstream(path, std::ios::binary) << "[A]\r\na=1\nb=2\r[B]\r\nc=3";
    TjtINI_Document d;
    d.CurrentSectionName = "A";
    TTextFile f(path);
    f.Reset();
    d.ParseText(f);
    EXPECT_EQ(Dump(d), "A{a=1,b=2}|B{c=3}");
}

// A file's text is parsed where it lies: the key at its very first byte,
// NULs inside a key or a value, every line end and a last line without one.
struct FileTextCase {
    const char* name;
    std::string bytes;
    std::string expected;
};

void PrintTo(const FileTextCase& c, std::ostream* os) { *os << c.name; }

class IniFileText : public ::testing::TestWithParam<FileTextCase> {};

TEST_P(IniFileText, parsesTheLoadedTextInPlace)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("a.ini").toStdString();
    std::ofstream(path, std::ios::binary) << GetParam().bytes;
    TjtINI_Document d;
    {
        // The document outlives the file it read.
        TTextFile f(path);
        f.Reset();
        d.ParseText(f);
    }
    EXPECT_EQ(Dump(d), GetParam().expected);
    for (int i = 0; i < d.Sections.Count(); ++i)
        for (const T_jt_ini_Record& r : d.Sections.Section(i).Records) EXPECT_EQ(r.LoadedValue, r.Value);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, IniFileText,
    ::testing::Values(FileTextCase{"keyAtTheFirstByte", "k=v", "__StartOfFile{k=v}"},
                      FileTextCase{"nulInsideKeyAndValue", "[S]\na\0b = c\0d\n"s, "S{a\0b=c\0d}"s},
                      FileTextCase{"nulBesideKeyAndValueIsTrimmed", "[S]\n\0k\0=\0v\0\n"s, "S{k=v}"},
                      FileTextCase{"everyLineEnd", "[S]\r\na = 1 \r\nb=2\rc= 3\t\n d =4", "S{a=1,b=2,c=3,d=4}"},
                      FileTextCase{"emptyKeyAndEmptyValues", "[S]\n=\nk=\n=x\n", "S{=x,k=}"},
                      FileTextCase{"repeatedKeyKeepsFirstSpelling", "[S]\nKey=1\n[T]\nt=0\n[s]\nKEY=2",
                                   "S{Key=2}|T{t=0}"}),
    [](const ::testing::TestParamInfo<FileTextCase>& i) { return std::string(i.param.name); });

TEST(IniDocument, parseTextStartsAtTheUnreadLine)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("a.ini").toStdString();
    std::ofstream(path, std::ios::binary) << "skipped=1\r\nread=2\r\n";
    TjtINI_Document d;
    TTextFile f(path);
    f.Reset();
    f.ReadLine();
    d.ParseText(f);
    EXPECT_EQ(Dump(d), "__StartOfFile{read=2}");
    EXPECT_TRUE(f.Eof());
}

// Thousands of keys in one section, read from a file and from lines, then
// again in another case: every key is found in either case, the repeats
// update the first records, and keys that differ in anything but the case
// of a-z stay apart.
TEST(IniDocument, aLargeSectionFindsEveryKeyInEitherCase)
{
    const int count = 3000;
    const auto key = [](int i) { return "Key " + std::to_string(i) + " of the quick brown fox jumps over lazy dogs"; };
    const auto flipped = [](std::string k) {
        for (char& c : k) {
            const int u = static_cast<unsigned char>(c);
            c = char(std::isupper(u) ? std::tolower(u) : std::toupper(u));
        }
        return k;
    };
    std::vector<std::string> lines{"[S]"};
    for (int i = 0; i < count; ++i) lines.push_back(key(i) + " = " + std::to_string(i));
    for (const char* k : {"x`", "x@", "x{", "x[", "x\xE1", "x\xC1"}) lines.push_back(std::string(k) + "=" + k);
    lines.push_back("[T]");
    lines.push_back("t=1");
    lines.push_back("[s]");
    for (int i = 0; i < count; i += 3) lines.push_back(flipped(key(i)) + "=again " + std::to_string(i));

    QTemporaryDir dir;
    const std::string path = dir.filePath("a.ini").toStdString();
    {
        std::ofstream out(path, std::ios::binary);
        for (const std::string& l : lines) out << l << "\r\n";
    }
    for (const bool fromFile : {true, false}) {
        SCOPED_TRACE(fromFile ? "file" : "lines");
        TjtINI_Document d;
        if (fromFile) {
            TTextFile f(path);
            f.Reset();
            d.ParseText(f);
        } else {
            d.ParseStrings(lines);
        }
        const T_jt_ini_Records* records = d.FindSection("S");
        ASSERT_NE(records, nullptr);
        ASSERT_EQ(records->size(), size_t(count + 6));
        for (int i = 0; i < count; ++i) {
            const std::string value = (i % 3 ? "" : "again ") + std::to_string(i);
            const T_jt_ini_Record& r = (*records)[size_t(i)];
            ASSERT_EQ(r.Key, key(i));
            ASSERT_EQ(r.Value, value) << i;
            ASSERT_EQ(d.FindRecord("s", flipped(key(i))), &r) << i;
        }
        for (const char* k : {"x`", "x@", "x{", "x[", "x\xE1", "x\xC1"}) EXPECT_EQ(d.FindRecord("S", k)->Value, k);
        EXPECT_EQ(d.FindRecord("S", key(count)), nullptr);
    }
}

// ---------------------------------------------------------------- merge

TEST(IniDocument, mergeOfCommandLineDefaultTextAndFile)
{
    TjtINI_Document d;
    T_jt_ini_Record* cmd = d.AddRecord("S", "cmd");
    cmd->Value = cmd->CmdLineValue = "20";

    d.LoadingDefaults = true;
    d.ParseStrings({"[S]", "both = d", "onlyDefault = d", "twice = first", "twice = second", "cmd = d"});
    d.LoadingDefaults = false;
    d.ParseStrings({"[s]", "BOTH = f", "onlyFile = f", "cmd = f"});

    struct Expect {
        const char* key;
        const char* value;
        const char* defaultValue;
        const char* loaded;
    };
    for (const Expect& e : {Expect{"both", "f", "d", "f"}, Expect{"onlyDefault", "d", "d", "d"},
                            Expect{"onlyFile", "f", "", "f"}, Expect{"twice", "second", "first", "second"},
                            Expect{"cmd", "20", "", "f"}}) {
        SCOPED_TRACE(e.key);
        const T_jt_ini_Record* r = d.FindRecord("S", e.key);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->Value, e.value);
        EXPECT_EQ(r->DefaultValue, e.defaultValue);
        EXPECT_EQ(r->LoadedValue, e.loaded);
    }
    // The key keeps the spelling of its first mention.
    EXPECT_EQ(d.FindRecord("s", "BOTH")->Key, "both");
}

TEST(IniDocument, storeValueMakesItsSectionCurrent)
{
    TjtINI_Document d;
    d.StoreValue("Alpha", "k", "v");
    EXPECT_EQ(d.CurrentSectionName, "Alpha");
}

// ---------------------------------------------------------------- lookups

TEST(IniDocument, findSectionSetsWorkingStateOnlyWhenFound)
{
    TjtINI_Document d;
    d.ParseStrings({"[Colors]", "a=1"});
    d.CurrentSectionName = "Before";

    EXPECT_EQ(d.FindSection("nope"), nullptr);
    EXPECT_EQ(d.CurrentSectionName, "Before");
    EXPECT_EQ(d.CurrentRecords, nullptr);

    T_jt_ini_Records* l = d.FindSection("cOLORS");
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->size(), 1u);
    EXPECT_EQ(d.CurrentSectionName, "cOLORS");
    EXPECT_EQ(d.CurrentRecords, l);

    EXPECT_EQ(d.FindSection("missing"), nullptr);
    EXPECT_EQ(d.CurrentRecords, nullptr);
}

TEST(IniDocument, keysMatchIgnoringCaseOfLettersOnly)
{
    TjtINI_Document d;
    d.ParseStrings({"[S]", "Key_1=a", "k\xe4y=b"});
    EXPECT_NE(d.FindRecord("s", "kEY_1"), nullptr);
    EXPECT_EQ(d.FindRecord("S", "Key-1"), nullptr);
    EXPECT_NE(d.FindRecord("S", "K\xe4Y"), nullptr);
    EXPECT_EQ(d.FindRecord("S", "K\xc4Y"), nullptr);  // only a-z change case
}

TEST(IniDocument, addRecordCreatesSectionWithoutMakingItCurrent)
{
    TjtINI_Document d;
    d.CurrentSectionName = "Before";
    T_jt_ini_Record* r = d.AddRecord("New", "Key");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(d.CurrentSectionName, "Before");
    EXPECT_EQ(r->Key, "Key");
    EXPECT_EQ(d.AddRecord("NEW", "key"), r);  // found, not created again
    EXPECT_EQ(Dump(d), "New{Key=}");
}

TEST(IniDocument, recordsStayValidWhileSectionsAndRecordsGrow)
{
    TjtINI_Document d;
    T_jt_ini_Record* first = d.AddRecord("M", "k0");
    first->Value = "kept";
    for (int i = 1; i < 200; ++i) d.AddRecord("M" + std::to_string(i % 17), "k" + std::to_string(i));
    EXPECT_EQ(d.FindRecord("M", "k0"), first);
    EXPECT_EQ(first->Value, "kept");
}

TEST(IniDocument, sectionRecordsOutsideTheIndexIsNone)
{
    TjtINI_Document d;
    d.ParseStrings({"[B]", "b=1", "[A]", "a=1"});
    ASSERT_NE(d.SectionRecords(0), nullptr);
    EXPECT_EQ((*d.SectionRecords(0))[0].Key, "a");
    EXPECT_EQ((*d.SectionRecords(1))[0].Key, "b");
    EXPECT_EQ(d.SectionRecords(-1), nullptr);
    EXPECT_EQ(d.SectionRecords(2), nullptr);
}

TEST(IniDocument, indexOrdersPunctuationBeforeDigitsBeforeLetters)
{
    TjtINI_Document d;
    for (const char* s : {"zeta", "Alpha", "_x", "1st", "beta", "__StartOfFile", "9", "-dash"})
        d.AddRecord(s, "k");
    std::vector<std::string> names;
    for (int i = 0; i < d.Sections.Count(); ++i) names.push_back(d.Sections.Section(i).Name);
    EXPECT_EQ(names, (std::vector<std::string>{"-dash", "__StartOfFile", "_x", "1st", "9", "Alpha", "beta", "zeta"}));
}

TEST(IniDocument, bisectionFindsEverySectionOfALargeIndex)
{
    std::mt19937 rng(7);
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        std::string n;
        const int len = 1 + int(rng() % 6);
        for (int c = 0; c < len; ++c) n += "aB_1-z9 Q"[rng() % 9];
        names.push_back(n);
    }
    TjtINI_Document d;
    for (const std::string& n : names) d.AddRecord(n, "k");
    for (const std::string& n : names) ASSERT_NE(d.FindSection(n), nullptr) << n;
    const platform::CoreSystem sys;
    for (int i = 1; i < d.Sections.Count(); ++i)
        EXPECT_LT(sys.CompareSectionNames(d.Sections.Name(i - 1), d.Sections.Name(i)), 0) << i;
}

// ---------------------------------------------------------------- writers

std::vector<std::string> SmallDocument()
{
    return {"top = 1", "[Temperature]", "min = -40", "maximum=40", "[Colors]", "ST = $FF0000", "empty ="};
}

TEST(IniWriters, generateWritesAlignedSectionsInIndexOrder)
{
    TjtINI_Document d;
    d.ParseStrings(SmallDocument());
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteGenerate(f); }),
              "top = 1\r\n"
              "\r\n[Colors]\r\nST    = $FF0000\r\nempty = \r\n"
              "\r\n[Temperature]\r\nmin     = -40\r\nmaximum = 40\r\n");
}

TEST(IniWriters, generateWindowsCompatibleHasNoBlanks)
{
    TjtINI_Document d;
    d.SetWindowsCompatible(true);
    d.ParseStrings(SmallDocument());
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteGenerate(f); }),
              "top=1\r\n\r\n[Colors]\r\nST=$FF0000\r\nempty=\r\n\r\n[Temperature]\r\nmin=-40\r\nmaximum=40\r\n");
}

TEST(IniWriters, generateFirstSectionHasNoEmptyLineBefore)
{
    TjtINI_Document d;
    d.ParseStrings({"[B]", "a=1", "abcd=2", "[A]", "x="});
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteGenerate(f); }),
              "[A]\r\nx = \r\n\r\n[B]\r\na    = 1\r\nabcd = 2\r\n");
}

TEST(IniWriters, updateChangesOnlyValuesOfKnownKeys)
{
    TjtINI_Document d;
    d.ParseStrings({"top = 1", "[Temperature]", "min = -40", "max = 40", "gone = 3"});
    d.FindRecord("__StartOfFile", "top")->Value = "10";
    d.FindRecord("Temperature", "min")->Value = "-50";
    d.FindRecord("Temperature", "gone")->Value = "";  // emptied by the program
    d.AddRecord("Temperature", "modelOnly")->Value = "x";
    d.AddRecord("Nowhere", "k")->Value = "y";
    d.FileLines = {"; comment",
                   "top =  1   ; old note",
                   "",
                   "[temperature]",
                   "  min =\t -40 trailing",
                   "unknown = 3",
                   "MIN=7",
                   "max = 40",
                   "gone = 3",
                   "[Other]",
                   "x"};
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteUpdate(f); }),
              "; comment\r\n"
              "top =  10\r\n"
              "\r\n"
              "[temperature]\r\n"
              "  min =\t -50\r\n"
              "unknown = 3\r\n"
              "MIN=-50\r\n"
              "max = 40\r\n"
              "gone = \r\n"
              "[Other]\r\n"
              "x\r\n");
}

TEST(IniWriters, updateNeverWritesACommandLineValue)
{
    TjtINI_Document d;
    T_jt_ini_Record* r = d.AddRecord("Temperature", "max");
    r->Value = r->CmdLineValue = "20";
    d.ParseStrings({"[Temperature]", "max = 40"});
    ASSERT_EQ(r->Value, "20");
    d.FileLines = {"[Temperature]", "max = 40"};
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteUpdate(f); }), "[Temperature]\r\nmax = 40\r\n");
    // Changed by the program afterwards: the new value is a change to the file.
    r->Value = "30";
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteUpdate(f); }), "[Temperature]\r\nmax = 30\r\n");
}

TEST(IniWriters, updateWithoutFileLinesWritesNothing)
{
    TjtINI_Document d;
    d.ParseStrings(SmallDocument());
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteUpdate(f); }), "");
    EXPECT_EQ(d.CurrentSectionName, "__StartOfFile");
}

TEST(IniWriters, addSectionRewritesOneSectionAndKeepsTheRest)
{
    TjtINI_Document d;
    d.ParseStrings({"[A]", "a = 5", "new = 6", "[B]", "b = 99"});
    d.FileLines = {"; head", "[A]", "a = 1", "; note", "", "[B]", "b = 2"};
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteAddSection(f, "a"); }),
              "; head\r\n[A]\r\na   = 5\r\nnew = 6\r\n\r\n[B]\r\nb = 2\r\n");
}

TEST(IniWriters, addSectionAtEndOfFileHasNoTrailingEmptyLine)
{
    TjtINI_Document d;
    d.SetWindowsCompatible(true);
    d.ParseStrings({"[B]", "b = 3"});
    d.FileLines = {"[A]", "a = 1", "[B]", "b = 2", "; old"};
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteAddSection(f, "B"); }), "[A]\r\na = 1\r\n[B]\r\nb=3\r\n");
}

TEST(IniWriters, addSectionNotInFileIsAppended)
{
    TjtINI_Document d;
    d.ParseStrings({"[C]", "c = 1"});
    d.FileLines = {"[B]", "b = 2"};
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteAddSection(f, "C"); }), "[B]\r\nb = 2\r\n\r\n[C]\r\nc = 1\r\n");
    // A section the model lacks gets its header only.
    EXPECT_EQ(Written([&](TTextFile& f) { d.WriteAddSection(f, "D"); }), "[B]\r\nb = 2\r\n\r\n[D]\r\n");
}

}  // namespace
