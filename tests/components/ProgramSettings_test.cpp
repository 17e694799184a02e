// The program's settings read once: every value as the window and the
// exporter read it from the bundled settings file and from files users write.
#include "support/TestFiles.h"
#include "components/ProgramSettings.h"
#include "components/jtSysUtils.h"
#include "components/jtTextFile.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
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
    // [Year] HeightMax, [Skew-T] PressureBottom and PressureTop (NaN: refused),
    // and the skew-T window's place.
    double HeightMax = 20000, Bottom = 1050, Top = 100;
    settings::TProgramSettings::TPlace Place{};
};

// What a settings value says: its number, or the message it is refused with.
template <typename Read>
std::string Said(Read R)
{
    try {
        return std::to_string(R());
    } catch (const Exception& e) {
        return e.Message();
    }
}

// The settings of a document read as the window's settings components read
// their file (a text file parsed whole, over the default text), shared.
settings::TProgramSettings ReadAsTheWindowDoes(const std::string& Text, const std::vector<std::string>& Defaults)
{
    auto document = std::make_shared<TjtINI_Document>();
    document->SetSlashKeys(true, [](std::string_view Key) { return platform::files().FileExists(std::string(Key)); });
    document->LoadingDefaults = true;
    document->ParseStrings(Defaults);
    document->LoadingDefaults = false;
    if (Text.empty()) {
        TTextFile file(kBundled);
        file.Reset();
        document->ParseText(file);
    } else {
        document->ParseWholeText(Text);
    }
    return settings::TProgramSettings(document);
}

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
        {"section height, skew-T range and place",
         "[Year]\nHeightMax = 16000\n[skew-t]\nPressureBottom = 1000\nPressureTop=\nLeft = 30\nTop = 40.9\nWidth = "
         "500\nHeight = x\n",
         {{"Anchorage 2006.html", ""}, {"Denver 2006.html", ""}},
         "xTucson 2006.html",
         1,
         settings::kDefaultIgraBase,
         16000,
         1000,
         100,
         {30, 40, 500, 0}},
        {"values refused",
         "[Year]\nHeightMax = 500\n[Skew-T]\nPressureBottom = nan\nPressureTop = 1200\n",
         {{"Anchorage 2006.html", ""}, {"Denver 2006.html", ""}},
         "xTucson 2006.html",
         1,
         settings::kDefaultIgraBase,
         std::nan(""),
         std::nan(""),
         std::nan("")},
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
        // Read once by the window's component and handed on, the same values.
        for (const settings::TProgramSettings& read : {s, ReadAsTheWindowDoes(c.Text, kDefaults)}) {
            EXPECT_EQ(read.Catalogue(), c.Catalogue);
            EXPECT_EQ(read.StartPage(), c.Start);
            EXPECT_EQ(read.IntervalMs(1000), c.Interval);
            EXPECT_EQ(read.IgraBase(), c.Igra);
            const auto said = [](double V) { return std::isnan(V) ? std::string("refused") : std::to_string(V); };
            const auto refusedOr = [](std::string T) { return T.find(" must be ") != T.npos ? "refused" : T; };
            EXPECT_EQ(refusedOr(Said([&] { return read.SectionHeightMax(20000); })), said(c.HeightMax));
            EXPECT_EQ(refusedOr(Said([&] { return read.SkewTPressure("PressureBottom", 1050); })), said(c.Bottom));
            EXPECT_EQ(refusedOr(Said([&] { return read.SkewTPressure("PressureTop", 100); })), said(c.Top));
            const settings::TProgramSettings::TPlace place = read.SkewTPlace();
            EXPECT_EQ(std::vector<int>({place.Left, place.Top, place.Width, place.Height}),
                      std::vector<int>({c.Place.Left, c.Place.Top, c.Place.Width, c.Place.Height}));
        }
    }
    // A value refused is named as the key's section and name, and as written.
    EXPECT_EQ(Said([] {
                  return settings::TProgramSettings("[Skew-T]\nPressureTop = abc\n").SkewTPressure("PressureTop", 100);
              }),
              "[Skew-T] PressureTop must be a pressure from 1 to 1100 hPa, not \"abc\"");
    // Without the built-in text a missing interval is the caller's default.
    EXPECT_EQ(settings::TProgramSettings("[soundings]\n").IntervalMs(250), 250);
}

}  // namespace
