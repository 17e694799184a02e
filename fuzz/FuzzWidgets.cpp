#include "fuzz/FuzzSupport.h"

#include <QApplication>

#include <cstdlib>

namespace fuzz {

void InitWidgets(int* Argc, char*** Argv)
{
    if (!QCoreApplication::instance()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Qt keeps the references for the application's life.
        static int argc = *Argc;
        static QApplication* app = new QApplication(argc, *Argv);
        (void)app;
    }
    InitCore(Argc, Argv);
}

}  // namespace fuzz
