#include "tools/ExportSettings.h"

#include "components/jtSysUtils.h"
#include "platform/Platform.h"

#ifdef PROFILORA_EXPORT_PICTURES
#include "components/jtINI_File.h"
#include "movie/SoundingChart.h"

#include <filesystem>

namespace {

// Loads Ini with the chart's and the catalogue's default texts and, when
// Path is not empty, the file Path (which must exist).
void ReadSettingsFile(TjtINI_File& Ini, const std::string& Path)
{
    std::vector<std::string> defaults = ProfileDefaults();
    for (std::string& line : CatalogueDefaults()) defaults.push_back(std::move(line));
    Ini.SetIgnore_CmdLine(true);
    Ini.SetINI_Default(defaults);
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

}  // namespace

TExportSettings::TExportSettings(const std::string& Path) : where_(Path.empty() ? std::string() : " '" + Path + "'")
{
    if (!Path.empty() && !platform::files().FileExists(Path))
        throw Exception("cannot read settings '" + Path + "': no such file");
    chart_ = std::make_shared<TjtINI_File>(nullptr);
    try {
        ReadSettingsFile(*chart_, Path);
    } catch (const Exception& e) {
        throw Exception("settings" + where_ + ": " + e.Message());
    }
    values_ = settings::TProgramSettings(std::shared_ptr<TjtINI_Document>(chart_));
}

#else

TExportSettings::TExportSettings(const std::string& Path) : where_(Path.empty() ? std::string() : " '" + Path + "'")
{
    if (Path.empty()) return;
    std::string text;
    platform::FileError error;
    if (!platform::files().ReadAll(Path, text, error))
        throw Exception("cannot read settings '" + Path + "': " + error.Message);
    values_ = settings::TProgramSettings(text);
}

#endif
