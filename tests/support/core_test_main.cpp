// The main of the test programs of the core (no widgets, no display): an
// application object of QtCore only, and the "C" locale so that number
// texts are predictable.
#include <QCoreApplication>
#include <QLocale>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
