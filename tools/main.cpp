// profilora-export: writes the soundings of a sounding page as CSV.
#include "tools/Export.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunExport(args, std::cout, std::cerr);
}
