#include "download/StationElevations.h"

#include "download/StationCache.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"

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

sounding::TElevationOf download::StationElevations()
{
    struct TState {
        bool Read = false;
        sounding::TElevationOf Lookup;
    };
    auto state = std::make_shared<TState>();
    return [state](std::string_view Station) -> std::optional<double> {
        if (!state->Read) {
            state->Read = true;
            const sounding::TStationList list = KnownStationList();
            if (!list.Stations.empty()) state->Lookup = sounding::ElevationsOf(list);
        }
        return state->Lookup ? state->Lookup(Station) : std::nullopt;
    };
}
