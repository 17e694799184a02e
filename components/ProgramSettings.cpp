#include "components/ProgramSettings.h"

#include "components/jtSysUtils.h"
#include "platform/Platform.h"

#include <cmath>
#include <utility>

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

TProgramSettings::TProgramSettings(std::shared_ptr<TjtINI_Document> Document) : document_(std::move(Document)) {}

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

namespace settings {

double TProgramSettings::Bounded(const std::string& Section, const std::string& Key, double Default, double Min,
                                 double Max, const std::string& What) const
{
    const T_jt_ini_Text* value = Value(Section, Key);
    if (!value || value->empty()) return Default;
    const std::string text = value->str();
    double number = 0;
    try {
        number = double(jtini::NumberOf(text));
    } catch (const Exception&) {
        number = std::nan("");
    }
    if (!(number >= Min && number <= Max))
        throw Exception("[" + Section + "] " + Key + " must be " + What + ", not \"" + text + "\"");
    return number;
}

double TProgramSettings::SectionHeightMax(double Default) const
{
    return Bounded("Year", "HeightMax", Default, 1000, 100000, "a height from 1000 to 100000 m");
}

double TProgramSettings::SkewTPressure(const std::string& Key, double Default) const
{
    return Bounded("Skew-T", Key, Default, 1, 1100, "a pressure from 1 to 1100 hPa");
}

TProgramSettings::TPlace TProgramSettings::SkewTPlace() const
{
    const auto number = [this](const char* Key) {
        const T_jt_ini_Text* value = Value("Skew-T", Key);
        return jtini::Truncate32(jtini::NumberOf(value ? value->str() : std::string("0")));
    };
    return {number("Left"), number("Top"), number("Width"), number("Height")};
}

}  // namespace settings
