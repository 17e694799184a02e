#include "tools/IndicesCsv.h"

#include "sounding/Indices.h"
#include "sounding/Quantities.h"
#include "tools/CsvExport.h"

#include <optional>

std::string tools::IndicesToCsv(const TLapseRates& Set)
{
    std::string out = sounding::CsvHeader(sounding::IndexQuantities());
    out += '\n';
    out += RowsOnTwoCores(Set.Soundings.size(), [&Set](std::size_t First, std::size_t Last, std::string& Out) {
        for (std::size_t i = First; i < Last; ++i) {
            const TSounding& sounding = Set.Soundings[i];
            const sounding::TIndices x = sounding::ComputeIndices(sounding);
            Out += std::to_string(i);
            Out += ',';
            Out += CsvField(sounding.Title);
            for (const sounding::TIndexQuantity& q : sounding::IndexQuantities()) {
                Out += ',';
                if (const std::optional<double> v = q.Of(x)) Out += FixedText(*v, q.Decimals);
            }
            Out += '\n';
        }
    });
    return out;
}
