// Settings texts that once lost keys when written back and read again, found
// by fuzzing the three writers: each writer's output, read again, must hold
// every section, key and value the text held.
#include "components/jtINI_Document.h"
#include "platform/Fakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

enum class Writer { Generate, Update, AddSection };

struct Case {
    const char* name;
    std::vector<std::string> lines;
    Writer writer;
};

// Section (upper-cased) -> its keys and values in order.
using Contents = std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>;

Contents Read(const std::vector<std::string>& Lines)
{
    TjtINI_Document doc;
    doc.ParseStrings(Lines);
    Contents out;
    for (int i = 0; i < doc.Sections.Count(); ++i) {
        out.push_back({doc.Sections.Name(i), {}});
        for (const auto& r : doc.Sections.Section(i).Records)
            out.back().second.emplace_back(r.Key.str(), r.Value.str());
    }
    return out;
}

std::vector<std::string> Lines(const std::string& Text)
{
    std::vector<std::string> out;
    std::istringstream in(Text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

class SettingsRoundTrip : public ::testing::TestWithParam<Case> {
protected:
    std::string Written(const Case& C)
    {
        TjtINI_Document doc;
        doc.ParseStrings(C.lines);
        doc.FileLines = C.lines;
        const std::string section = doc.CurrentSectionName;
        const std::string path = dir.filePath("out.ini").toStdString();
        TTextFile f(path);
        f.Rewrite();
        switch (C.writer) {
        case Writer::Generate: doc.WriteGenerate(f); break;
        case Writer::Update: doc.WriteUpdate(f); break;
        case Writer::AddSection: doc.WriteAddSection(f, section); break;
        }
        f.Close();
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    QTemporaryDir dir;
    platform::FakeSystem sys;
    platform::ScopedPlatform guard{nullptr, &sys, nullptr};
};

TEST_P(SettingsRoundTrip, writtenTextReadsBackTheSame)
{
    const Case& c = GetParam();
    const std::string text = Written(c);
    EXPECT_EQ(Read(Lines(text)), Read(c.lines)) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Found, SettingsRoundTrip,
    ::testing::Values(
        // Keys above the first header are written without a header; a section
        // whose name sorts before "__StartOfFile" must not come first, or they
        // are read back into it.
        Case{"emptySectionName", {"top = 1", "[]", "a = 2"}, Writer::Generate},
        Case{"blankFirstSectionName", {"top = 1", "[ x]", "a = 2"}, Writer::Generate},
        Case{"punctuationFirstSectionName", {"top = 1", "[!x]", "a = 2", "[#]", "b = 3", "[Z]", "c = 4"},
             Writer::Generate},
        Case{"controlCharacterSectionName", {"top = 1", "[\x01]", "a = 2"}, Writer::Generate},
        // An indented header is a header to the reader, so it ends the
        // section the writer replaces; skipping it dropped its section.
        Case{"indentedHeaderAfterRewrittenSection", {"[A]", "a = 1", "  [B]", "b = 2", "[A]", "c = 3"},
             Writer::AddSection},
        Case{"tabIndentedHeaderAfterRewrittenSection", {"[A]", "\t[B]", "b = 2", "[a]", "c = 3"},
             Writer::AddSection},
        // Controls: the ordinary forms.
        Case{"plainSections", {"top = 1", "[A]", "a = 1", "[B]", "b = 2"}, Writer::Generate},
        Case{"updateKeepsLayout", {"; c", "[A]", "a  =\t1", "  [B]", "b = 2"}, Writer::Update}),
    [](const ::testing::TestParamInfo<Case>& I) { return std::string(I.param.name); });

// The keys above the first header still come first when every section
// sorts after them, and nothing else changes in the ordinary layout.
TEST(SettingsGenerate, ordinaryLayoutIsUnchanged)
{
    QTemporaryDir dir;
    platform::FakeSystem sys;
    platform::ScopedPlatform guard{nullptr, &sys, nullptr};
    TjtINI_Document doc;
    doc.ParseStrings({"top = 1", "[B]", "b = 2", "[A]", "aa = 1", "a = 3"});
    const std::string path = dir.filePath("g.ini").toStdString();
    TTextFile f(path);
    f.Rewrite();
    doc.WriteGenerate(f);
    f.Close();
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "top = 1\r\n\r\n[A]\r\naa = 1\r\na  = 3\r\n\r\n[B]\r\nb = 2\r\n");
}

}  // namespace
