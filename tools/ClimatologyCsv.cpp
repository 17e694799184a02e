#include "tools/ClimatologyCsv.h"

#include <string_view>

namespace {

constexpr std::string_view kHeader = "hour,quantity,day,height,count,p10,p25,p50,p75,p90\n";
// Rows are handed on in pieces of about this size.
constexpr std::size_t kPieceBytes = std::size_t(256) << 10;

void AppendRow(std::string& Out, std::string_view Hour, std::string_view Quantity, int Day, int Height,
               const sounding::TClimateCell& Cell)
{
    Out += Hour;
    Out += ',';
    Out += Quantity;
    Out += ',';
    Out += std::to_string(Day);
    Out += ',';
    if (Height >= 0) Out += std::to_string(Height);
    Out += ',';
    Out += std::to_string(Cell.Count);
    for (const double p : Cell.P) {
        Out += ',';
        if (Cell.Valid()) Out += FixedText(p, 1);
    }
    Out += '\n';
}

}  // namespace

bool WriteClimatologyCsv(const sounding::TClimatology& Climatology, const TCsvSink& Sink)
{
    using sounding::TProfileQuantity;
    std::string out(kHeader);
    const auto flush = [&](bool Always) {
        if (!Always && out.size() < kPieceBytes) return true;
        const bool ok = out.empty() || Sink(out);
        out.clear();
        return ok;
    };
    for (const int group : {0, 12}) {
        if (Climatology.GroupLaunches(group) == 0) continue;
        const std::string_view hour = group == 0 ? "00" : "12";
        for (const TProfileQuantity q : {TProfileQuantity::Temperature, TProfileQuantity::DewPoint}) {
            const std::string_view name = q == TProfileQuantity::Temperature ? "temperature" : "dew_point";
            for (int day = 1; day <= sounding::kClimateDays; ++day) {
                for (int h = 0; h < sounding::kClimateHeights; ++h)
                    AppendRow(out, hour, name, day, int(sounding::ClimateHeight(h)),
                              Climatology.Profile(group, q, day, h));
                if (!flush(false)) return false;
            }
        }
        for (int c = 0; c < sounding::ClimateColumnCount(); ++c) {
            const std::string name = sounding::ClimateColumnName(c);
            for (int day = 1; day <= sounding::kClimateDays; ++day)
                AppendRow(out, hour, name, day, -1, Climatology.Column(group, c, day));
            if (!flush(false)) return false;
        }
    }
    return flush(true);
}

std::string ClimatologyToCsv(const sounding::TClimatology& Climatology)
{
    return CsvText([&Climatology](const TCsvSink& Sink) { return WriteClimatologyCsv(Climatology, Sink); });
}
