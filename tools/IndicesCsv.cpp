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

std::string tools::IndicesToCsv(const TLapseRates& Set)
{
    std::string out = kIndicesCsvHeader;
    out += '\n';
    out += RowsOnTwoCores(Set.Soundings.size(), [&Set](std::size_t First, std::size_t Last, std::string& Out) {
        for (std::size_t i = First; i < Last; ++i) {
            const TSounding& sounding = Set.Soundings[i];
            const sounding::TIndices x = sounding::ComputeIndices(sounding);
            Out += std::to_string(i);
            Out += ',';
            Out += CsvField(sounding.Title);
            for (const auto* v : {&x.Showalter, &x.LiftedIndex, &x.LiftedIndexVirtual, &x.Sweat, &x.KIndex,
                                  &x.CrossTotals, &x.VerticalTotals, &x.TotalsTotals})
                AppendField(Out, *v, 2);
            for (const auto* v : {&x.Cape, &x.CapeVirtual, &x.Cin, &x.CinVirtual}) AppendField(Out, *v, 1);
            for (const auto* v : {&x.EquilibriumLevel, &x.EquilibriumLevelVirtual, &x.Lfc, &x.LfcVirtual,
                                  &x.BulkRichardson, &x.BulkRichardsonVirtual, &x.LclTemperature, &x.LclPressure,
                                  &x.MixedLayerTheta, &x.MixedLayerMixingRatio})
                AppendField(Out, *v, 2);
            AppendField(Out, x.Thickness1000To500, 1);
            AppendField(Out, x.PrecipitableWater, 2);
            for (const auto* v : {&x.CapeSurface, &x.CinSurface, &x.CapeMostUnstable, &x.CinMostUnstable})
                AppendField(Out, *v, 1);
            Out += '\n';
        }
    });
    return out;
}
