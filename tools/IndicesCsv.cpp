#include "tools/IndicesCsv.h"

#include "analysis/Indices.h"
#include "analysis/Quantities.h"
#include "tools/CsvExport.h"

#include <optional>

namespace {

// Launches a run holds: a few hundred kB of rows.
constexpr std::size_t kRunSoundings = 2048;

}  // namespace

bool tools::WriteIndicesCsv(const TLapseRates& Set, const TCsvSink& Sink)
{
    const auto makeRows = [&Set]() -> TRowMaker {
        return [&Set](std::size_t First, std::size_t Last, std::string& Out) {
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
        };
    };
    return WriteRunsOnTwoCores(sounding::CsvHeader(sounding::IndexQuantities()) + '\n',
                               RunBounds(Set.Soundings.size(), kRunSoundings), makeRows, Sink);
}

std::string tools::IndicesToCsv(const TLapseRates& Set)
{
    return CsvText([&Set](const TCsvSink& Sink) { return WriteIndicesCsv(Set, Sink); });
}
