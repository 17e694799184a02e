#include "tools/LevelsCsv.h"

#include "sounding/DerivedLevels.h"
#include "tools/CsvExport.h"

#include <optional>

namespace {

void AppendField(std::string& Out, std::optional<float> Value)
{
    Out += ',';
    if (Value) Out += FixedText(*Value, 1);
}

template <typename Level, typename Member>
std::optional<float> Field(const std::optional<Level>& Value, Member Of)
{
    return Value ? std::optional<float>((*Value).*Of) : std::nullopt;
}

}  // namespace

std::string LevelsToCsv(const TLapseRates& Set)
{
    std::string out = "sounding,title,surface_height,freezing_level,warm_layer_base,warm_layer_top,"
                      "warm_layer_max_temperature,tropopause_height,tropopause_temperature,tropopause_pressure,"
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
        AppendField(out, Field(levels.WarmLayer, &TWarmLayer::Base));
        AppendField(out, Field(levels.WarmLayer, &TWarmLayer::Top));
        AppendField(out, Field(levels.WarmLayer, &TWarmLayer::MaxTemperature));
        AppendField(out, Field(levels.Tropopause, &TTropopause::Height));
        AppendField(out, Field(levels.Tropopause, &TTropopause::Temperature));
        AppendField(out, levels.Tropopause ? levels.Tropopause->Pressure : std::nullopt);
        AppendField(out, Field(levels.Inversion, &TInversion::Base));
        AppendField(out, Field(levels.Inversion, &TInversion::Top));
        AppendField(out, Field(levels.Inversion, &TInversion::Strength));
        out += '\n';
    }
    return out;
}
