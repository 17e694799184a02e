#include "sounding/StationList.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <numbers>
#include <unordered_map>

namespace sounding {

namespace {

std::string_view Column(std::string_view Line, std::size_t First, std::size_t Last)
{
    // Columns are 1-based and inclusive, as the list's format gives them.
    if (Line.size() < First) return {};
    std::string_view text = Line.substr(First - 1, Last - First + 1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool ReadDouble(std::string_view Text, double& Value)
{
    if (Text.empty()) return false;
    const auto r = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return r.ec == std::errc() && r.ptr == Text.data() + Text.size();
}

bool ReadInt(std::string_view Text, int& Value)
{
    if (Text.empty()) return false;
    const auto r = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return r.ec == std::errc() && r.ptr == Text.data() + Text.size();
}

bool IsIdChar(char C) { return (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || (C >= 'a' && C <= 'z'); }

// The base letters of U+00C0 .. U+017F; '\0' where there is none.
constexpr char kLatinBase[] =
    "AAAAAAACEEEEIIII"
    "DNOOOOO\0OUUUUYTs"  // C0 .. DF
    "aaaaaaaceeeeiiii"
    "dnooooo\0ouuuuyty"  // E0 .. FF
    "AaAaAaCcCcCcCcDd"
    "DdEeEeEeEeEeGgGg"  // 100 .. 11F
    "GgGgHhHhIiIiIiIi"
    "IiJjJjKkkLlLlLlL"  // 120 .. 13F
    "lLlNnNnNnnNnOoOo"
    "OoOoRrRrRrSsSsSs"  // 140 .. 15F
    "SsTtTtTtUuUuUuUu"
    "UuUuWwYyYZzZzZzs";  // 160 .. 17F

char LatinBase(unsigned Code)
{
    if (Code < 0xC0 || Code > 0x17F) return '\0';
    return kLatinBase[Code - 0xC0];
}

char Lower(char C) { return (C >= 'A' && C <= 'Z') ? char(C - 'A' + 'a') : C; }

bool StartsWith(std::string_view Text, std::string_view Prefix)
{
    return Text.size() >= Prefix.size() && Text.compare(0, Prefix.size(), Prefix) == 0;
}

std::vector<std::string> Words(std::string_view Folded)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : Folded) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::string UpperAZ(std::string_view Text)
{
    std::string upper(Text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return upper;
}

}  // namespace

TStationList ReadStationList(std::string_view Text)
{
    TStationList list;
    while (!Text.empty()) {
        const std::size_t end = Text.find('\n');
        const std::string_view line = Text.substr(0, end);
        Text.remove_prefix(end == std::string_view::npos ? Text.size() : end + 1);
        if (Column(line, 1, line.size()).empty()) continue;

        TStation s;
        const std::string_view id = line.substr(0, std::min<std::size_t>(11, line.size()));
        double lat = 0, lon = 0, elevation = 0;
        bool ok = id.size() == 11 && std::all_of(id.begin(), id.end(), IsIdChar) &&
                  (line.size() == 11 || line[11] == ' ') && ReadDouble(Column(line, 13, 20), lat) &&
                  ReadDouble(Column(line, 22, 30), lon) && ReadDouble(Column(line, 32, 37), elevation);
        if (ok) {
            const std::string_view first = Column(line, 73, 76);
            const std::string_view last = Column(line, 78, 81);
            const std::string_view launches = Column(line, 83, 88);
            ok = (first.empty() || ReadInt(first, s.FirstYear)) && (last.empty() || ReadInt(last, s.LastYear)) &&
                 (launches.empty() || ReadInt(launches, s.Launches));
        }
        if (!ok) {
            ++list.SkippedLines;
            continue;
        }
        s.Id = std::string(id);
        // The network letter 'M' marks an id whose last five digits are the
        // WMO number.
        const std::string_view number = id.substr(6);
        if (id[2] == 'M' && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            s.Wmo = std::string(number);
        // -98.8888, -998.8888 and -998.8 (or lower) mark an unknown place.
        if (lat >= -90 && lat <= 90) s.Latitude = lat;
        if (lon >= -180 && lon <= 360) s.Longitude = lon;
        if (elevation > -998) s.Elevation = elevation;
        if (!s.Latitude || !s.Longitude) s.Latitude.reset(), s.Longitude.reset();
        s.State = std::string(Column(line, 39, 40));
        s.Name = std::string(Column(line, 42, 71));
        list.Stations.push_back(std::move(s));
    }
    return list;
}

bool LooksLikeStationList(const TStationList& List, std::size_t MinStations)
{
    return List.Stations.size() >= MinStations && List.Stations.size() > std::size_t(List.SkippedLines);
}

double GreatCircleKm(double Lat1, double Lon1, double Lat2, double Lon2)
{
    constexpr double kRadiusKm = 6371.0088;
    constexpr double kRad = std::numbers::pi / 180.0;
    const double dLat = (Lat2 - Lat1) * kRad;
    const double dLon = (Lon2 - Lon1) * kRad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(Lat1 * kRad) * std::cos(Lat2 * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kRadiusKm * std::asin(std::min(1.0, std::sqrt(a)));
}

std::optional<TPlace> PlaceOfQuery(std::string_view Query)
{
    std::string_view parts[2];
    int count = 0;
    std::size_t i = 0;
    while (i < Query.size()) {
        while (i < Query.size() && (Query[i] == ' ' || Query[i] == ',' || Query[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < Query.size() && Query[i] != ' ' && Query[i] != ',' && Query[i] != '\t') ++i;
        if (i == start) break;
        if (count == 2) return std::nullopt;
        parts[count++] = Query.substr(start, i - start);
    }
    TPlace place;
    if (count != 2 || !ReadDouble(parts[0].front() == '+' ? parts[0].substr(1) : parts[0], place.Latitude) ||
        !ReadDouble(parts[1].front() == '+' ? parts[1].substr(1) : parts[1], place.Longitude))
        return std::nullopt;
    if (!(place.Latitude >= -90 && place.Latitude <= 90 && place.Longitude >= -180 && place.Longitude <= 360))
        return std::nullopt;
    return place;
}

std::string FoldText(std::string_view Text)
{
    std::string folded;
    folded.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const auto c = static_cast<unsigned char>(Text[i]);
        if (c < 0x80) {
            folded += Lower(char(c));
            continue;
        }
        // A two-byte UTF-8 letter of U+0080 .. U+07FF.
        if ((c & 0xE0) == 0xC0 && i + 1 < Text.size() && (static_cast<unsigned char>(Text[i + 1]) & 0xC0) == 0x80) {
            const unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(Text[i + 1]) & 0x3Fu);
            ++i;
            if (code == 0xDF)
                folded += "ss";
            else if (const char base = LatinBase(code))
                folded += Lower(base);
            else
                folded += ' ';
            continue;
        }
        // Anything else: a Latin-1 letter, or a byte that is none.
        if (c == 0xDF)
            folded += "ss";
        else if (const char base = LatinBase(c))
            folded += Lower(base);
        else
            folded += ' ';
    }
    return folded;
}

TStationSearch::TStationSearch(const std::vector<TStation>& Stations) : stations_(Stations)
{
    words_.reserve(Stations.size());
    for (const TStation& s : Stations) words_.push_back(Words(FoldText(s.Name)));
}

std::vector<TStationHit> TStationSearch::Find(std::string_view Query) const
{
    std::vector<TStationHit> hits;
    while (!Query.empty() && (Query.front() == ' ' || Query.front() == '\t')) Query.remove_prefix(1);
    while (!Query.empty() && (Query.back() == ' ' || Query.back() == '\t')) Query.remove_suffix(1);
    if (Query.empty()) {
        hits.reserve(stations_.size());
        for (int i = 0; i < int(stations_.size()); ++i) hits.push_back({i, std::nullopt});
        return hits;
    }
    if (const std::optional<TPlace> place = PlaceOfQuery(Query)) {
        for (int i = 0; i < int(stations_.size()); ++i) {
            const TStation& s = stations_[std::size_t(i)];
            if (s.Latitude && s.Longitude)
                hits.push_back({i, GreatCircleKm(place->Latitude, place->Longitude, *s.Latitude, *s.Longitude)});
        }
        std::stable_sort(hits.begin(), hits.end(),
                         [](const TStationHit& A, const TStationHit& B) { return *A.DistanceKm < *B.DistanceKm; });
        return hits;
    }
    const std::vector<std::string> typed = Words(FoldText(Query));
    const std::string upper = UpperAZ(Query);
    const bool country = upper.size() == 2 && IsIdChar(upper[0]) && IsIdChar(upper[1]);
    // The stations the query names exactly (its country, its WMO number, its
    // id) first, then those whose name matches, then ids and numbers that
    // start with it; each group in list order.
    std::vector<TStationHit> named, partial;
    for (int i = 0; i < int(stations_.size()); ++i) {
        const TStation& s = stations_[std::size_t(i)];
        if (s.Id == upper || s.Wmo == upper || (country && s.Id.compare(0, 2, upper) == 0)) {
            hits.push_back({i, std::nullopt});
            continue;
        }
        const std::vector<std::string>& words = words_[std::size_t(i)];
        if (!typed.empty() && std::all_of(typed.begin(), typed.end(), [&words](const std::string& t) {
                return std::any_of(words.begin(), words.end(), [&t](const std::string& w) { return StartsWith(w, t); });
            }))
            named.push_back({i, std::nullopt});
        else if (StartsWith(s.Id, upper) || (!s.Wmo.empty() && StartsWith(s.Wmo, upper)))
            partial.push_back({i, std::nullopt});
    }
    hits.insert(hits.end(), named.begin(), named.end());
    hits.insert(hits.end(), partial.begin(), partial.end());
    return hits;
}

namespace {

// A lookup of What of the stations of List by IGRA id or WMO number.
TElevationOf LookupOf(const TStationList& List, std::optional<double> TStation::*What)
{
    auto values = std::make_shared<std::unordered_map<std::string, double>>();
    for (const TStation& station : List.Stations) {
        if (!(station.*What)) continue;
        values->emplace(station.Id, *(station.*What));
        if (!station.Wmo.empty()) values->emplace(station.Wmo, *(station.*What));
    }
    return [values](std::string_view Station) -> std::optional<double> {
        const auto found = values->find(std::string(Station));
        if (found == values->end()) return std::nullopt;
        return found->second;
    };
}

}  // namespace

TElevationOf ElevationsOf(const TStationList& List) { return LookupOf(List, &TStation::Elevation); }

TElevationOf LatitudesOf(const TStationList& List) { return LookupOf(List, &TStation::Latitude); }

}  // namespace sounding
