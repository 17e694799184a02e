#pragma once
// Shared by the tests of the window's additions: the sounding pages of
// support/PageBuilder.h, a window in a temporary program folder with the
// platform doubles, and picture comparison.

#include "app/Profilora_frm.h"
#include "app/WindowExtras.h"
#include "components/jtFile_IO.h"
#include "platform/Fakes.h"
#include "sounding/LapseRates.h"
#include "support/PageBuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace extras_test {

using pages::DefaultTemperature;
using pages::MakePage;

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
        // The windows keep their places in the user's configuration folder.
        setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    }
    void TearDown() override
    {
        form.reset();
        // Queued redraws of the window's charts go with the window.
        QCoreApplication::processEvents();
        unsetenv("XDG_CONFIG_HOME");
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
// How many shown top-level windows carry the object name Name.
inline int OpenWindows(const char* Name)
{
    int open = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == Name && w->isVisible()) ++open;
    return open;
}

inline bool SamePixels(const QImage& A, const QImage& B)
{
    if (A.isNull() || B.isNull() || A.size() != B.size()) return false;
    return A.convertToFormat(QImage::Format_RGB32) == B.convertToFormat(QImage::Format_RGB32);
}

}  // namespace extras_test
