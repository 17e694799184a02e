// The one main of every test program.
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv)
{
    // Offscreen unless the caller chose a platform.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::InstallQtPlatform();
    // Qt sets the C library's locale from the system one; number texts in
    // tests must not depend on it.
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
