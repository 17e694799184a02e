#pragma once
// Shared by the tests of the window's additions: sounding pages built in
// code, a window in a temporary program folder with the platform doubles,
// and picture comparison.

#include "app/Profilora_frm.h"
#include "app/WindowExtras.h"
#include "components/jtFile_IO.h"
#include "platform/Fakes.h"
#include "sounding/LapseRates.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace extras_test {

// Temperature of level L of sounding S.
using TemperatureOf = std::function<double(int S, int L)>;

inline double DefaultTemperature(int S, int L) { return 20 - 6.5 * L - S; }

// A sounding page: Soundings tables titled "S<i>", LevelsEach levels each;
// level L of sounding S lies at 100 + 1000 L + S m (100 + 1000 L with
// SameHeights), its dew point difference is 2 + L, wind direction 90 + 10 L,
// wind speed 5 + L.
inline std::string MakePage(int Soundings, int LevelsEach = 3, const TemperatureOf& T = DefaultTemperature,
                            bool SameHeights = false)
{
    std::ostringstream page;
    page << "<html><head></head><body>\n<!-- end: NCDC PAGE HEADER -->\n";
    auto cell = [&page](const auto& v) { page << "<TD align='center'>" << v << "</TD>"; };
    for (int s = 0; s < Soundings; ++s) {
        page << "<table border='1'>\n<TR>";
        for (const char* h : {"launch", "pressure", "height", "temp", "dpdiff_C", "wdir", "wspd"}) cell(h);
        page << "</TR>\n";
        for (int l = 0; l < LevelsEach; ++l) {
            page << "<TR>";
            cell("S" + std::to_string(s));
            cell(1000 - 100 * l);
            cell(100 + 1000 * l + (SameHeights ? 0 : s));
            cell(T(s, l));
            cell(2 + l);
            cell(90 + 10 * l);
            cell(5 + l);
            page << "</TR>\n";
        }
        page << "</table>\n";
    }
    page << "<!-- NCDC PAGE FOOTER -->\n</body></html>\n";
    return page.str();
}

class ExtrasTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    platform::FakePrompts prompts;
    platform::FakeSystem system;
    std::unique_ptr<platform::ScopedPlatform> guard;
    std::unique_ptr<TForm1> form;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        system.Program = Path("profilora");
        system.LongName = system.Program;
        guard = std::make_unique<platform::ScopedPlatform>(&prompts, &system, nullptr);
    }
    void TearDown() override
    {
        form.reset();
        // Queued redraws of the window's charts go with the window.
        QCoreApplication::processEvents();
    }

    std::string Path(const std::string& Name) const { return dir.filePath(QString::fromStdString(Name)).toStdString(); }
    void Write(const std::string& Name, const std::string& Text) const
    {
        std::ofstream(Path(Name), std::ios::binary) << Text;
    }
    static std::string Read(const std::string& FullPath)
    {
        std::ifstream in(FullPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool Exists(const std::string& FullPath) { return std::ifstream(FullPath).good(); }

    TForm1& MakeForm()
    {
        form = std::make_unique<TForm1>();
        return *form;
    }
    // Reads a page through "Read File..." and stops the movie, so that the
    // test moves the frames itself.
    void Load(const std::string& Name, const std::string& Page)
    {
        Write(Name, Page);
        form->jtFile_IO1Open(form->jtFile_IO1, Path(Name));
        form->Animate_CheckBox->setChecked(false);
    }
};

// Same size and the same colour at every pixel (alpha ignored where both
// are opaque).
inline bool SamePixels(const QImage& A, const QImage& B)
{
    if (A.isNull() || B.isNull() || A.size() != B.size()) return false;
    return A.convertToFormat(QImage::Format_RGB32) == B.convertToFormat(QImage::Format_RGB32);
}

}  // namespace extras_test
