#include "download/StationElevations.h"

#include "download/StationCache.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "sounding/SoundingSources.h"

#include <memory>
#include <string>

sounding::TStationList download::KnownStationList()
{
    const std::string bundled = platform::DirectoryOf(platform::system().ProgramPath()) + download::kStationListName;
    for (const std::string& path : {download::CacheDirectory() + download::kStationListName, bundled}) {
        std::string text;
        platform::FileError error;
        if (!platform::files().ReadAll(path, text, error)) continue;
        sounding::TStationList list = sounding::ReadStationList(text);
        if (sounding::LooksLikeStationList(list)) return list;
    }
    return {};
}

namespace {

// A lookup from the first list that reads, made by Of, the list read the
// first time it is asked.
sounding::TElevationOf ListLookup(sounding::TElevationOf (*Of)(const sounding::TStationList&))
{
    struct TState {
        bool Read = false;
        sounding::TElevationOf Lookup;
    };
    auto state = std::make_shared<TState>();
    return [state, Of](std::string_view Station) -> std::optional<double> {
        if (!state->Read) {
            state->Read = true;
            const sounding::TStationList list = download::KnownStationList();
            if (!list.Stations.empty()) state->Lookup = Of(list);
        }
        return state->Lookup ? state->Lookup(Station) : std::nullopt;
    };
}

}  // namespace

sounding::TElevationOf download::StationElevations() { return ListLookup(sounding::ElevationsOf); }

sounding::TElevationOf download::StationLatitudes() { return ListLookup(sounding::LatitudesOf); }

bool download::SouthOfEquator(const TSounding& Sounding)
{
    static const sounding::TElevationOf latitudes = StationLatitudes();
    const sounding::TLaunchKey& key = Sounding.Launch;
    std::string_view id(key.Station.data(), key.Station.size());
    while (!id.empty() && (id.back() == ' ' || id.back() == '\0')) id.remove_suffix(1);
    if (id.empty()) return false;
    const std::optional<double> latitude = latitudes(id);
    return latitude && *latitude < 0;
}
