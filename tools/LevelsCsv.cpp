#include "tools/LevelsCsv.h"

#include "analysis/DerivedLevels.h"
#include "analysis/Quantities.h"
#include "tools/CsvExport.h"

#include <optional>

namespace {

// Launches a run holds: a few hundred kB of rows.
constexpr std::size_t kRunSoundings = 2048;

}  // namespace

bool WriteLevelsCsv(const TLapseRates& Set, const TCsvSink& Sink)
{
    const auto makeRows = [&Set]() -> TRowMaker {
        return [&Set, buffer = std::vector<TProfilePoint>()](std::size_t First, std::size_t Last,
                                                             std::string& Out) mutable {
            for (std::size_t i = First; i < Last; ++i) {
                const TSounding& sounding = Set.Soundings[i];
                const TDerivedLevels levels = DeriveLevels(sounding, buffer);
                Out += std::to_string(i);
                Out += ',';
                Out += CsvField(sounding.Title);
                for (const sounding::TLevelQuantity& q : sounding::LevelQuantities()) {
                    Out += ',';
                    if (const std::optional<double> v = q.Of(levels)) Out += FixedText(*v, q.Decimals);
                }
                Out += '\n';
            }
        };
    };
    return WriteRunsOnTwoCores(sounding::CsvHeader(sounding::LevelQuantities()) + '\n',
                               RunBounds(Set.Soundings.size(), kRunSoundings), makeRows, Sink);
}

std::string LevelsToCsv(const TLapseRates& Set)
{
    return CsvText([&Set](const TCsvSink& Sink) { return WriteLevelsCsv(Set, Sink); });
}
