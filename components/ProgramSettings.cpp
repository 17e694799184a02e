#include "components/ProgramSettings.h"

#include "platform/Platform.h"

namespace settings {

TProgramSettings::TProgramSettings(std::string_view Text, const std::vector<std::string>& Defaults)
{
    // A line naming a file by its full path is a key, not a comment.
    document_->SetSlashKeys(true, [](std::string_view Key) { return platform::files().FileExists(std::string(Key)); });
    document_->LoadingDefaults = true;
    document_->ParseStrings(Defaults);
    document_->LoadingDefaults = false;
    document_->ParseWholeText(std::string(Text));
}

TProgramSettings TProgramSettings::FromFile(const std::string& Path, const std::vector<std::string>& Defaults)
{
    std::string text;
    platform::FileError error;
    if (Path.empty() || !platform::files().FileExists(Path) || !platform::files().ReadAll(Path, text, error))
        text.clear();
    return TProgramSettings(text, Defaults);
}

const T_jt_ini_Text* TProgramSettings::Value(const std::string& Section, const std::string& Key) const
{
    const T_jt_ini_Record* R = document_->FindRecord(Section, Key);
    return R ? &R->Value : nullptr;
}

std::vector<TCatalogueEntry> TProgramSettings::Catalogue() const
{
    std::vector<TCatalogueEntry> entries;
    if (const T_jt_ini_Records* listed = document_->FindSection("soundings"))
        for (const T_jt_ini_Record& r : *listed) entries.push_back({r.Key.str(), r.Value.str()});
    if (!entries.empty()) return entries;
    if (const T_jt_ini_Records* internal = document_->FindSection("soundings-internal"))
        for (const T_jt_ini_Record& r : *internal) entries.push_back({r.Key.str(), std::string()});
    return entries;
}

std::string TProgramSettings::StartPage() const
{
    const T_jt_ini_Text* value = Value("Display at start", "file");
    return value ? value->str() : std::string();
}

std::int32_t TProgramSettings::IntervalMs(std::int32_t Default) const
{
    const T_jt_ini_Text* value = Value("Display at start", "ms_per_frame");
    return jtini::Truncate32(jtini::NumberOf(value ? value->str() : std::to_string(Default)));
}

std::string TProgramSettings::IgraBase() const
{
    const T_jt_ini_Text* value = Value("Sources", "IGRA");
    return value && !value->empty() ? value->str() : std::string(kDefaultIgraBase);
}

}  // namespace settings
