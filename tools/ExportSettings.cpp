#include "tools/ExportSettings.h"

#include "components/jtINI_File.h"

#include <filesystem>

void ReadExportSettings(TjtINI_File& Ini, const std::vector<std::string>& Defaults, const std::string& Path)
{
    Ini.SetIgnore_CmdLine(true);
    Ini.SetINI_Default(Defaults);
    if (Path.empty()) {
        Ini.SetOpenOnLoad(false);
    } else {
        // A name without a directory would be looked for beside the program.
        Ini.SetFilename(std::filesystem::absolute(Path).string());
        Ini.SetIgnoreNotFound(false);
        Ini.SetOpenOnLoad(true);
    }
    Ini.Loaded();
}
