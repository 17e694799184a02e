#include "tools/LevelsCsv.h"

#include "sounding/DerivedLevels.h"
#include "tools/CsvExport.h"

#include <optional>

namespace {

void AppendField(std::string& Out, std::optional<float> Value)
{
    Out += ',';
    if (Value) Out += SingleText(*Value);
}

}  // namespace

std::string LevelsToCsv(const TLapseRates& Set)
{
    std::string out = "sounding,title,surface_height,freezing_level,tropopause_height,tropopause_temperature,"
                      "inversion_base,inversion_top,inversion_strength\n";
    std::vector<TProfilePoint> buffer;
    for (std::size_t i = 0; i < Set.Soundings.size(); ++i) {
        const TSounding& sounding = Set.Soundings[i];
        const TDerivedLevels levels = DeriveLevels(sounding, buffer);
        out += std::to_string(i);
        out += ',';
        out += CsvField(sounding.Title);
        AppendField(out, levels.SurfaceHeight);
        AppendField(out, levels.FreezingLevel);
        const auto& tropopause = levels.Tropopause;
        AppendField(out, tropopause ? std::optional<float>(tropopause->Height) : std::nullopt);
        AppendField(out, tropopause ? std::optional<float>(tropopause->Temperature) : std::nullopt);
        const auto& inversion = levels.Inversion;
        AppendField(out, inversion ? std::optional<float>(inversion->Base) : std::nullopt);
        AppendField(out, inversion ? std::optional<float>(inversion->Top) : std::nullopt);
        AppendField(out, inversion ? std::optional<float>(inversion->Strength) : std::nullopt);
        out += '\n';
    }
    return out;
}
