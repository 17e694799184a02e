#include "tools/IndicesCsv.h"

#include "sounding/Indices.h"
#include "tools/CsvExport.h"

#include <optional>

namespace {

void AppendField(std::string& Out, const std::optional<double>& Value, int Decimals)
{
    Out += ',';
    if (Value) Out += FixedText(*Value, Decimals);
}

}  // namespace

std::string IndicesToCsv(const TLapseRates& Set)
{
    std::string out = kIndicesCsvHeader;
    out += '\n';
    for (std::size_t i = 0; i < Set.Soundings.size(); ++i) {
        const TSounding& sounding = Set.Soundings[i];
        const sounding::TIndices x = sounding::ComputeIndices(sounding);
        out += std::to_string(i);
        out += ',';
        out += CsvField(sounding.Title);
        for (const auto* v : {&x.Showalter, &x.LiftedIndex, &x.LiftedIndexVirtual, &x.Sweat, &x.KIndex, &x.CrossTotals,
                              &x.VerticalTotals, &x.TotalsTotals})
            AppendField(out, *v, 2);
        for (const auto* v : {&x.Cape, &x.CapeVirtual, &x.Cin, &x.CinVirtual}) AppendField(out, *v, 1);
        for (const auto* v : {&x.EquilibriumLevel, &x.EquilibriumLevelVirtual, &x.Lfc, &x.LfcVirtual, &x.BulkRichardson,
                              &x.BulkRichardsonVirtual, &x.LclTemperature, &x.LclPressure, &x.MixedLayerTheta,
                              &x.MixedLayerMixingRatio})
            AppendField(out, *v, 2);
        AppendField(out, x.Thickness1000To500, 1);
        AppendField(out, x.PrecipitableWater, 2);
        for (const auto* v : {&x.CapeSurface, &x.CinSurface, &x.CapeMostUnstable, &x.CinMostUnstable})
            AppendField(out, *v, 1);
        out += '\n';
    }
    return out;
}
