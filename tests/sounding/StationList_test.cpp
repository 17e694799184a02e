// The IGRA v2 station list as published, and the search of the station
// dialog over it.
#include "sounding/StationList.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace sounding;

namespace {

const TStationList& RealList()
{
    static const TStationList list = ReadStationList(testfiles::Slurp(PROFILORA_DATA_DIR "/igra2-station-list.txt"));
    return list;
}

const TStation* Find(const std::string& Id)
{
    for (const TStation& s : RealList().Stations)
        if (s.Id == Id) return &s;
    return nullptr;
}

TEST(StationList, ReadsEveryStationOfThePublishedList)
{
    // 2,923 lines; two of them (after HUM00012982 and TUM00017095) carry
    // only years and a count, no id: nothing could be downloaded for them.
    EXPECT_EQ(RealList().Stations.size(), 2921u);
    EXPECT_EQ(RealList().SkippedLines, 2);
    EXPECT_TRUE(LooksLikeStationList(RealList()));

    const TStation* sterling = Find("USM00072403");
    ASSERT_TRUE(sterling);
    EXPECT_EQ(sterling->Wmo, "72403");
    EXPECT_DOUBLE_EQ(*sterling->Latitude, 38.9767);
    EXPECT_DOUBLE_EQ(*sterling->Longitude, -77.4858);
    EXPECT_DOUBLE_EQ(*sterling->Elevation, 88.4);
    EXPECT_EQ(sterling->State, "VA");
    EXPECT_EQ(sterling->Name, "STERLING; VA.");
    EXPECT_EQ(sterling->FirstYear, 1960);
    EXPECT_EQ(sterling->LastYear, 2026);
    EXPECT_EQ(sterling->Launches, 48156);
    EXPECT_EQ(sterling->Country(), "US");

    // A ship: no place, no elevation; the id carries no WMO number.
    const TStation* ship = Find("ZZV0000DBLK");
    ASSERT_TRUE(ship);
    EXPECT_FALSE(ship->Latitude || ship->Longitude || ship->Elevation);
    EXPECT_EQ(ship->Wmo, "");
    EXPECT_EQ(ship->Name, "POLARSTERN");
    // A station without a state and a WBAN id.
    const TStation* lowry = Find("USW00023012");
    ASSERT_TRUE(lowry);
    EXPECT_EQ(lowry->Wmo, "");
    EXPECT_EQ(lowry->LastYear, 1948);
}

TEST(StationList, SkipsLinesThatAreNoStation)
{
    const TStationList list = ReadStationList(
        "<html>\nUSM00072403  38.9767  -77.4858   88.4 VA STERLING; VA.                  1960 2026  48156\r\n"
        "USM00072403  north   -77.4858   88.4\n\n");
    ASSERT_EQ(list.Stations.size(), 1u);
    EXPECT_EQ(list.SkippedLines, 2);
    EXPECT_FALSE(LooksLikeStationList(list));
}

std::vector<std::string> Ids(const std::vector<TStationHit>& Hits, std::size_t Most = 1000)
{
    std::vector<std::string> ids;
    for (std::size_t i = 0; i < Hits.size() && i < Most; ++i)
        ids.push_back(RealList().Stations[std::size_t(Hits[i].Index)].Id);
    return ids;
}

TEST(StationSearch, FindsByNameNumberIdCountryAndPlace)
{
    const TStationSearch search(RealList().Stations);
    struct Row {
        const char* Query;
        const char* MustHold;
        std::size_t MaxHits;
    };
    const Row rows[] = {
        {"sterling", "USM00072403", 3},         {"STERLING va", "USM00072403", 1},
        {"Stérling", "USM00072403", 3},     // accents ignored (UTF-8)
        {"St\xE9rling", "USM00072403", 3},  // and Latin-1
        {"denver", "USM00072469", 5},           {"72403", "USM00072403", 1},
        {"usm000724", "USM00072403", 100},      {"US", "USM00072403", 2921},
        {"38.95, -77.45", "USM00072403", 2921},
    };
    for (const Row& r : rows) {
        const std::vector<std::string> ids = Ids(search.Find(r.Query));
        EXPECT_NE(std::find(ids.begin(), ids.end(), r.MustHold), ids.end()) << r.Query;
        EXPECT_LE(ids.size(), r.MaxHits) << r.Query;
        EXPECT_GE(ids.size(), 1u) << r.Query;
    }
    EXPECT_TRUE(search.Find("zzzzqq").empty());
    EXPECT_EQ(search.Find("  ").size(), 2921u);
    // Words match at their start: "ling" is inside STERLING only.
    EXPECT_EQ(Ids(search.Find("ling")), std::vector<std::string>{});
}

// A country code or a WMO number typed whole ranks its stations first, then
// the names that match (Ushuaia for "US"), then ids that only start so.
TEST(StationSearch, ExactCodeOrNumberComesFirst)
{
    const TStationSearch search(RealList().Stations);
    struct Row {
        const char* Query;
        const char* Prefix;  // what the first hits' ids start with
        std::size_t First;   // how many of them
    };
    const Row rows[] = {{"US", "US", 557}, {"us", "US", 557}, {"72403", "USM00072403", 1}, {"SZ", "SZ", 1}};
    for (const Row& r : rows) {
        const std::vector<std::string> ids = Ids(search.Find(r.Query));
        ASSERT_GE(ids.size(), r.First) << r.Query;
        for (std::size_t i = 0; i < ids.size(); ++i)
            EXPECT_EQ(ids[i].rfind(r.Prefix, 0) == 0, i < r.First) << r.Query << " " << i << " " << ids[i];
    }
    // Name matches follow the country's stations.
    const std::vector<std::string> us = Ids(search.Find("US"));
    ASSERT_GT(us.size(), 557u);
    EXPECT_EQ(us[557], "ARM00087938");  // USHUAIA
    EXPECT_EQ(Ids(search.Find("bras\xC3\xADlia")), std::vector<std::string>{"BRM00083378"});
}

TEST(StationSearch, APlaceSortsByGreatCircleDistance)
{
    const TStationSearch search(RealList().Stations);
    const std::vector<TStationHit> hits = search.Find("38.9767 -77.4858");
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(RealList().Stations[std::size_t(hits[0].Index)].Id, "USM00072403");
    EXPECT_NEAR(*hits[0].DistanceKm, 0.0, 1e-6);
    EXPECT_TRUE(std::is_sorted(hits.begin(), hits.end(), [](const TStationHit& A, const TStationHit& B) {
        return *A.DistanceKm < *B.DistanceKm;
    }));
    // Ships have no place and are left out.
    EXPECT_LT(hits.size(), 2921u);
    // One degree of latitude, and a quarter of the way round the equator.
    EXPECT_NEAR(GreatCircleKm(0, 0, 1, 0), 111.195, 0.01);
    EXPECT_NEAR(GreatCircleKm(0, 0, 0, 90), 10007.5, 0.1);
    EXPECT_NEAR(GreatCircleKm(0, 179.5, 0, -179.5), 111.195, 0.01);
    EXPECT_FALSE(PlaceOfQuery("91, 10"));
    EXPECT_FALSE(PlaceOfQuery("72403"));
    EXPECT_FALSE(PlaceOfQuery("1, 2, 3"));
}

}  // namespace

namespace {

TEST(StationList, latitudesByIdAndWmoNumber)
{
    // Perth lies south of the equator, Sterling north of it; Wyoming pages
    // and sounding pages name a station by its WMO number alone.
    const TElevationOf latitude = LatitudesOf(RealList());
    ASSERT_TRUE(latitude("ASM00094610") && latitude("94610") && latitude("USM00072403"));
    EXPECT_NEAR(*latitude("94610"), -31.9275, 1e-4);
    EXPECT_NEAR(*latitude("USM00072403"), 38.9767, 1e-4);
    EXPECT_FALSE(latitude("XXM00000000"));
    EXPECT_NEAR(*ElevationsOf(RealList())("94610"), 20.4, 1e-4);
}

}  // namespace
