#pragma once
// The IGRA v2 station list: one fixed-column line per station (id, latitude,
// longitude, elevation, state, name, first and last year, number of
// launches), and the search the station dialog runs as one types.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sounding {

struct TStation {
    std::string Id;                   // 11 characters: country (2), network (1), number
    std::string Wmo;                  // the 5-digit WMO number when the id carries one, else empty
    std::optional<double> Latitude;   // degrees north; empty for a moving station
    std::optional<double> Longitude;  // degrees east
    std::optional<double> Elevation;  // m
    std::string State;                // US state or empty
    std::string Name;                 // without trailing blanks
    int FirstYear = 0;                // 0: unknown
    int LastYear = 0;
    int Launches = 0;

    // The first two characters of the id.
    std::string Country() const { return Id.substr(0, 2); }
};

struct TStationList {
    std::vector<TStation> Stations;
    int SkippedLines = 0;  // non-empty lines that are no station line
};

// Reads the list's text. Lines that are no station line (no 11-character id,
// unreadable numbers) are skipped and counted.
TStationList ReadStationList(std::string_view Text);

// Whether Text reads as a station list at all: at least MinStations stations
// and more station lines than others.
bool LooksLikeStationList(const TStationList& List, std::size_t MinStations = 100);

// The elevation (m) of a station by the id its launches carry: an IGRA id,
// or a 5-digit WMO number (Wyoming pages); empty when unknown.
using TElevationOf = std::function<std::optional<double>(std::string_view Station)>;
// The elevations List gives, looked up by IGRA id or WMO number.
TElevationOf ElevationsOf(const TStationList& List);

// The latitudes (degrees north) List gives, looked up the same way.
TElevationOf LatitudesOf(const TStationList& List);

// The great-circle distance in km between two places (degrees), on a sphere
// of the Earth's mean radius (6371.0088 km).
double GreatCircleKm(double Lat1, double Lon1, double Lat2, double Lon2);

// A place typed as "lat, lon" (decimal degrees, "," or blanks between,
// latitude -90..90, longitude -180..360); nothing when Query is not one.
struct TPlace {
    double Latitude = 0;
    double Longitude = 0;
};
std::optional<TPlace> PlaceOfQuery(std::string_view Query);

// Lower case a-z, accents dropped from the Latin letters of UTF-8 and of
// Latin-1 (so "Zürich" and "ZURICH" both read "zurich").
std::string FoldText(std::string_view Text);

struct TStationHit {
    int Index = 0;                     // into the list
    std::optional<double> DistanceKm;  // for a place query
};

// Finds stations as the dialog's search field does, built once per list.
class TStationSearch {
public:
    explicit TStationSearch(const std::vector<TStation>& Stations);

    // Every station for an empty query (in list order); for "lat, lon" every
    // station with a known place, nearest first; otherwise the stations
    // whose name holds each typed word at the start of one of its words
    // (case and accents ignored), whose id or WMO number starts with the
    // query, or whose country code it is. The stations of a country code,
    // WMO number or id typed whole come first, then the name matches, then
    // the ids and numbers that only start with the query.
    std::vector<TStationHit> Find(std::string_view Query) const;

private:
    const std::vector<TStation>& stations_;
    std::vector<std::vector<std::string>> words_;  // folded name words per station
};

}  // namespace sounding
