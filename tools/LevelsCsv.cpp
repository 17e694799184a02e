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
    std::string out =
        "sounding,title,surface_height,freezing_level,warm_layer_base,warm_layer_top,"
        "warm_layer_max_temperature,tropopause_height,tropopause_temperature,tropopause_pressure,"
        "inversion_base,inversion_top,inversion_strength\n";
    out += RowsOnTwoCores(Set.Soundings.size(), [&Set](std::size_t First, std::size_t Last, std::string& Out) {
        std::vector<TProfilePoint> buffer;
        for (std::size_t i = First; i < Last; ++i) {
            const TSounding& sounding = Set.Soundings[i];
            const TDerivedLevels levels = DeriveLevels(sounding, buffer);
            Out += std::to_string(i);
            Out += ',';
            Out += CsvField(sounding.Title);
            AppendField(Out, levels.SurfaceHeight);
            AppendField(Out, levels.FreezingLevel);
            AppendField(Out, Field(levels.WarmLayer, &TWarmLayer::Base));
            AppendField(Out, Field(levels.WarmLayer, &TWarmLayer::Top));
            AppendField(Out, Field(levels.WarmLayer, &TWarmLayer::MaxTemperature));
            AppendField(Out, Field(levels.Tropopause, &TTropopause::Height));
            AppendField(Out, Field(levels.Tropopause, &TTropopause::Temperature));
            AppendField(Out, levels.Tropopause ? levels.Tropopause->Pressure : std::nullopt);
            AppendField(Out, Field(levels.Inversion, &TInversion::Base));
            AppendField(Out, Field(levels.Inversion, &TInversion::Top));
            AppendField(Out, Field(levels.Inversion, &TInversion::Strength));
            Out += '\n';
        }
    });
    return out;
}
