// Program entry: the application, the main window, the message loop.
#include "app/Application.h"
#include "app/Profilora_frm.h"
#include "platform/QtPlatform.h"
#include "platform/Version.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// --help and --version answer on standard output before the toolkit starts,
// so that they work without a display (the manual page is made from them).
// The other options ("/?" among them) are the settings component's.
const char* const kHelp =
    "Usage: profilora [OPTION]... [FILE]...\n"
    "Plays the upper-air balloon soundings of one station (saved sounding pages,\n"
    "IGRA v2 station files, University of Wyoming \"Text: List\" pages) as a movie\n"
    "of temperature-against-altitude profiles. Named FILEs play instead of the\n"
    "start page of the settings; several play as one movie, merged in time order.\n"
    "\n"
    "  /ini FILE, --ini FILE  take the chart's settings (axis ranges, reference\n"
    "                         profiles, colours) from FILE\n"
    "  /?                     the options in a message box\n"
    "  -h, --help             this text\n"
    "  --version              the program's version\n"
    "\n"
    "The catalogue, the start page and the frame interval come from profilora.ini\n"
    "beside the program. Recent stations are kept in\n"
    "$XDG_CONFIG_HOME/profilora/stations.ini, downloaded station files in\n"
    "$XDG_CACHE_HOME/profilora/igra/.\n";

// The answer to --help or --version when one of them is on the command line
// (up to "--"), else nullptr.
const char* EarlyAnswer(int argc, char** argv, std::string& Version)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return kHelp;
        if (std::strcmp(argv[i], "--version") == 0) {
            Version = platform::VersionText() + "\n";
            return Version.c_str();
        }
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string version;
    if (const char* answer = EarlyAnswer(argc, argv, version)) {
        std::fputs(answer, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
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
