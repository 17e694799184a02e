#include "tools/ExportInputs.h"

#include <QElapsedTimer>

#include "analysis/ClimatologyCache.h"
#include "components/ProgramSettings.h"
#include "download/StationElevations.h"
#include "download/StationFetch.h"
#include "platform/Platform.h"
#include "sounding/LapseRates.h"
#include "sounding/SoundingSet.h"

namespace {

constexpr const char* kProgram = "profilora-export: ";

// The archive's address from the settings into Request; false, told on
// Err, when the settings cannot be read.
bool ReadArchiveBase(const ExportOptions& Options, download::TStationRequest& Request, std::ostream& Err)
{
    if (Options.SettingsPath.empty()) return true;
    std::string text;
    platform::FileError error;
    if (!platform::files().ReadAll(Options.SettingsPath, text, error)) {
        Err << kProgram << "cannot read settings '" << Options.SettingsPath << "': " << error.Message << '\n';
        return false;
    }
    Request.Base = settings::TProgramSettings(text).IgraBase();
    return true;
}

// Brings one station file into the cache, with progress on Err when it is
// a terminal; the copy's path, or "" told on Err.
std::string FetchStation(const download::TStationRequest& Request, const ExportOptions& Options, std::ostream& Err,
                         bool Terminal)
{
    const std::string what = Request.Id + " (" + download::PeriodText(Request.Period) + ")";
    QElapsedTimer clock;
    clock.start();
    qint64 shown = -1;
    const download::TFetchResult result =
        download::FetchAndWait(Request, false, [&](std::uint64_t Done, std::optional<std::uint64_t> Total) {
            if (!Terminal || (shown >= 0 && clock.elapsed() - shown < 200 && !(Total && Done == *Total))) return;
            shown = clock.elapsed();
            Err << "\rprofilora-export: " << what << ": "
                << download::ProgressText(Done, Total, double(clock.elapsed()) / 1000.0) << "\x1b[K" << std::flush;
        });
    if (Terminal && shown >= 0) Err << '\n';
    if (!result.Ok) {
        Err << kProgram << (result.Cancelled ? "cancelled" : result.Message) << '\n';
        return {};
    }
    if (result.Offline && !Options.Offline)
        Err << kProgram << what << ": " << result.Message << " The offline copy of " << result.CopyDate
            << " is used.\n";
    else if (!result.Offline && !result.Message.empty())
        Err << kProgram << what << ": " << result.Message << '\n';
    return result.Path;
}

// The IGRA id of a station given by its id or by a name the known station
// list holds (the first station the search finds, told on Err); "" told on
// Err when there is none.
std::string StationOfQuery(const std::string& Query, std::ostream& Err)
{
    std::string id = Query;
    for (char& c : id)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (download::IsStationId(id)) return id;
    const sounding::TStationList list = download::KnownStationList();
    const std::vector<sounding::TStationHit> hits = list.Stations.empty()
                                                        ? std::vector<sounding::TStationHit>()
                                                        : sounding::TStationSearch(list.Stations).Find(Query);
    if (hits.empty() || Query.find_first_not_of(" \t") == std::string::npos) {
        Err << kProgram << "--climatology-from '" << Query
            << "' is no file, no IGRA station id and no station the station list knows\n";
        return {};
    }
    const sounding::TStation& station = list.Stations[std::size_t(hits.front().Index)];
    Err << kProgram << "--climatology-from '" << Query << "': station " << station.Id << ' ' << station.Name;
    if (hits.size() > 1) Err << " (the first of " << hits.size() << " stations found)";
    Err << '\n';
    return station.Id;
}

}  // namespace

bool FetchStationInputs(ExportOptions& Options, std::ostream& Err, bool Terminal)
{
    if (Options.Stations.empty()) return true;
    download::TStationRequest request;
    if (!ReadArchiveBase(Options, request, Err)) return false;
    request.Period = Options.Period == "por" ? download::TPeriod::WholeRecord : download::TPeriod::ThisYear;
    request.Offline = Options.Offline;
    for (const std::string& id : Options.Stations) {
        request.Id = id;
        const std::string path = FetchStation(request, Options, Err, Terminal);
        if (path.empty()) return false;
        if (Options.PagePath.empty()) Options.PagePath = path;
        Options.Inputs.push_back(path);
    }
    return true;
}

bool ClimatologyFromFile(const ExportOptions& Options)
{
    return !Options.ClimatologyFrom.empty() && platform::files().FileExists(Options.ClimatologyFrom);
}

std::optional<sounding::TClimatology> ClimatologyOfOption(const ExportOptions& Options, std::ostream& Err,
                                                          bool Terminal)
{
    if (ClimatologyFromFile(Options)) {
        TSoundingSet read = ReadSoundingFiles({Options.ClimatologyFrom}, {}, download::StationElevations());
        for (const std::string& warning : read.Warnings) Err << kProgram << warning << '\n';
        if (!read.Ok()) {
            Err << kProgram << read.Error << '\n';
            return std::nullopt;
        }
        return sounding::BuildClimatology(read.Soundings);
    }
    download::TStationRequest request;
    request.Id = StationOfQuery(Options.ClimatologyFrom, Err);
    if (request.Id.empty() || !ReadArchiveBase(Options, request, Err)) return std::nullopt;
    request.Period = download::TPeriod::WholeRecord;
    request.Offline = Options.Offline;
    const std::string path = FetchStation(request, Options, Err, Terminal);
    if (path.empty()) return std::nullopt;
    sounding::TStationClimatology kept = sounding::StationClimatology(path, download::StationElevations());
    if (!kept.Message.empty()) Err << kProgram << kept.Message << '\n';
    return std::move(kept.Climatology);
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
