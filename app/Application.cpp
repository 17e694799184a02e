#include "app/Application.h"

#include "platform/QtPlatform.h"

#include "components/jtSysUtils.h"
#include "platform/Platform.h"

#include <cstdio>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // Message boxes, dialogs and the busy cursor of the desktop.
    platform::InstallQtPlatform();
}

bool TApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& e) {
        app::ShowException(e);
    }
    return false;
}

namespace app {

std::string ProgramTitle()
{
    std::string name = platform::system().ProgramPath();
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t dot = name.find('.');
    if (dot != std::string::npos) name.erase(dot);
    for (size_t i = 1; i < name.size(); ++i)
        if (name[i] >= 'A' && name[i] <= 'Z') name[i] = char(name[i] + 32);
    return name;
}

std::string WithPeriod(const std::string& Message)
{
    if (!Message.empty() && static_cast<unsigned char>(Message.back()) > '.') return Message + ".";
    return Message;
}

namespace {
std::string MessageOf(const std::exception& E)
{
    if (const auto* ex = dynamic_cast<const Exception*>(&E)) return ex->Message();
    return E.what();
}
}  // namespace

void ShowException(const std::exception& E)
{
    platform::prompts().MessageBox(WithPeriod(MessageOf(E)), ProgramTitle(), platform::MsgButtons::OK,
                                   platform::MsgIcon::Error);
}

void RunHandler(const std::function<void()>& Handler)
{
    try {
        Handler();
    } catch (const std::exception& e) {
        ShowException(e);
    }
}

void ShowStartupError(const std::exception& E)
{
    const auto* ex = dynamic_cast<const Exception*>(&E);
    const char* className = ex ? ex->ClassName() : "Exception";
    std::string module = platform::system().ProgramPath();
    const size_t slash = module.find_last_of('/');
    if (slash != std::string::npos) module.erase(0, slash + 1);
    char address[32];
    std::snprintf(address, sizeof address, "%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&E)));
    const std::string text = "Exception " + std::string(className) + " in module " + module + " at " + address + ".\n" +
                             WithPeriod(MessageOf(E));
    platform::prompts().MessageBox(text, "Application Error", platform::MsgButtons::OK, platform::MsgIcon::Error);
}

TBusyCursor::TBusyCursor() { platform::system().SetCursor(platform::CursorShape::Hourglass); }

TBusyCursor::~TBusyCursor() { platform::system().SetCursor(platform::CursorShape::Default); }

}  // namespace app
