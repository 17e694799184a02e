// Program entry: the application, the main window, the message loop.
#include "app/Application.h"
#include "app/Profilora_frm.h"
#include "platform/QtPlatform.h"

#include <memory>

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    std::unique_ptr<TForm1> form;
    try {
        form = std::make_unique<TForm1>();
    } catch (const std::exception& e) {
        // An error while the window's components finish loading ends the
        // program before the window is ever shown.
        app::ShowStartupError(e);
        return 1;
    }
    if (platform::TerminateRequested()) return 0;
    form->show();
    return application.exec();
}
