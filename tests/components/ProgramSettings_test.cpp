// The program's settings read once: every value as the window and the
// exporter read it from the bundled settings file and from files users write.
#include "support/TestFiles.h"
#include "components/ProgramSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using settings::TCatalogueEntry;

const std::string kBundled = std::string(PROFILORA_DATA_DIR) + "/../app/profilora.ini";

// The window's built-in catalogue text, in short.
const std::vector<std::string> kDefaults = {
    "// if the file is not in the [soundings] list below, it will be ignored",
    "[Display at start]",
    "file = xTucson 2006.html",
    "ms_per_frame = 1",
    "",
    "[soundings-internal]",
    "Anchorage 2006.html=",
    "Denver 2006.html=",
};

struct Case {
    const char* Name;
    std::string Text;  // the settings file's text; the file kBundled when empty
    std::vector<TCatalogueEntry> Catalogue;
    std::string Start;
    int Interval;
    std::string Igra;
};

TEST(ProgramSettings, ValuesAsTheWindowAndTheExporterReadThem)
{
    const std::string mirror = "http://127.0.0.1:8/igra/";
    const std::vector<Case> cases = {
        {"bundled file",
         "",
         {{"Perth 2016.html", ""},
          {"Chihuahua 2015.html", ""},
          {"USM00072403-data-beg2016.txt.zip", ""},
          {"wyoming_94610_2016_*.html", ""}},
         "Perth 2016.html",
         100,
         settings::kDefaultIgraBase},
        {"no file: the built-in entries",
         "\n",
         {{"Anchorage 2006.html", ""}, {"Denver 2006.html", ""}},
         "xTucson 2006.html",
         1,
         settings::kDefaultIgraBase},
        {"full paths, comments and a lone path",
         "[SOUNDINGS]\r\n/data/a b.html = 2016-01-01..2016-02-01\r\n//old.html=\r\n/ x.html=\r\n/=x\r\n" + kBundled +
             "\r\n/no/such/file.html\r\nrel.html=\r\n;c.html=\r\n",
         {{"/data/a b.html", "2016-01-01..2016-02-01"}, {kBundled, ""}, {"rel.html", ""}},
         "xTucson 2006.html",
         1,
         settings::kDefaultIgraBase},
        {"interval not whole, archive in any case",
         "[display at start]\nms_per_frame = 12.7\nfile=rel.html\n[soundings]\nrel.html=\n[sources]\n igra = " +
             mirror + " \n",
         {{"rel.html", ""}},
         "rel.html",
         12,
         mirror},
        {"interval no number, empty archive, archive of another section",
         "[Display at start]\nms_per_frame = fast\n[Sources]\nIGRA=\n[Other]\nIGRA=" + mirror + "\n",
         {{"Anchorage 2006.html", ""}, {"Denver 2006.html", ""}},
         "xTucson 2006.html",
         0,
         settings::kDefaultIgraBase},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const settings::TProgramSettings s = c.Text.empty() ? settings::TProgramSettings::FromFile(kBundled, kDefaults)
                                                            : settings::TProgramSettings(c.Text, kDefaults);
        EXPECT_EQ(s.Catalogue(), c.Catalogue);
        EXPECT_EQ(s.StartPage(), c.Start);
        EXPECT_EQ(s.IntervalMs(1000), c.Interval);
        EXPECT_EQ(s.IgraBase(), c.Igra);
    }
    // Without the built-in text a missing interval is the caller's default.
    EXPECT_EQ(settings::TProgramSettings("[soundings]\n").IntervalMs(250), 250);
}

}  // namespace
