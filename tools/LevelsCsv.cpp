#include "tools/LevelsCsv.h"

#include "sounding/DerivedLevels.h"
#include "sounding/Quantities.h"
#include "tools/CsvExport.h"

#include <optional>

std::string LevelsToCsv(const TLapseRates& Set)
{
    std::string out = sounding::CsvHeader(sounding::LevelQuantities());
    out += '\n';
    out += RowsOnTwoCores(Set.Soundings.size(), [&Set](std::size_t First, std::size_t Last, std::string& Out) {
        std::vector<TProfilePoint> buffer;
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
    });
    return out;
}
