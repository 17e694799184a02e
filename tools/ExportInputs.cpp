#include "tools/ExportInputs.h"

#include <QElapsedTimer>

#include "download/StationElevations.h"
#include "download/StationFetch.h"
#include "platform/Platform.h"
#include "sounding/LapseRates.h"
#include "sounding/SoundingSet.h"

bool FetchStationInputs(ExportOptions& Options, const std::string& IgraBase, std::ostream& Err, bool Terminal)
{
    if (Options.Stations.empty()) return true;
    download::TStationRequest request;
    request.Base = IgraBase;
    request.Period = Options.Period == "por" ? download::TPeriod::WholeRecord : download::TPeriod::ThisYear;
    request.Offline = Options.Offline;
    for (const std::string& id : Options.Stations) {
        request.Id = id;
        const std::string what = id + " (" + download::PeriodText(request.Period) + ")";
        QElapsedTimer clock;
        clock.start();
        qint64 shown = -1;
        const download::TFetchResult result =
            download::FetchAndWait(request, false, [&](std::uint64_t Done, std::optional<std::uint64_t> Total) {
                if (!Terminal || (shown >= 0 && clock.elapsed() - shown < 200 && !(Total && Done == *Total))) return;
                shown = clock.elapsed();
                Err << "\rprofilora-export: " << what << ": "
                    << download::ProgressText(Done, Total, double(clock.elapsed()) / 1000.0) << "\x1b[K" << std::flush;
            });
        if (Terminal && shown >= 0) Err << '\n';
        if (!result.Ok) {
            Err << "profilora-export: " << (result.Cancelled ? "cancelled" : result.Message) << '\n';
            return false;
        }
        if (result.Offline && !Options.Offline)
            Err << "profilora-export: " << what << ": " << result.Message << " The offline copy of " << result.CopyDate
                << " is used.\n";
        else if (!result.Offline && !result.Message.empty())
            Err << "profilora-export: " << what << ": " << result.Message << '\n';
        if (Options.PagePath.empty()) Options.PagePath = result.Path;
        Options.Inputs.push_back(result.Path);
    }
    return true;
}

bool ReadsAsStationInputs(const ExportOptions& Options)
{
    return Options.Inputs.size() > 1 || (Options.Inputs.size() == 1 && IsStationFile(Options.Inputs.front()));
}

TSoundingSet ReadStationInputs(const ExportOptions& Options, TLapseRates& Set)
{
    TSoundingSet read = ReadSoundingFiles(Options.Inputs, {}, download::StationElevations());
    if (read.Ok()) Set.SetSoundings(std::move(read.Soundings));
    return read;
}

bool ApplyDateOptions(const ExportOptions& Options, TLapseRates& Set)
{
    if (Options.FromDate.empty() && Options.ToDate.empty()) return true;
    Set.SetSoundings(FilterByDate(std::move(Set.Soundings), Options.FromDate, Options.ToDate));
    return Set.Count() > 0;
}
