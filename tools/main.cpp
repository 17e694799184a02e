// profilora-export: writes the soundings of a sounding page as CSV.
#include "platform/Version.h"
#include "tools/Export.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // --version answers alone, whatever else the line holds (up to "--").
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--version") {
            std::cout << platform::VersionText() << '\n';
            return std::cout.flush() ? 0 : 1;
        }
    }
    return RunExport(args, std::cout, std::cerr);
}
