// Station files fetched from a local server into a fresh cache folder: every
// way a download can go, and each ends with the cache unchanged or holding
// the complete file.
#include "download/StationFetch.h"

#include "LocalHttpServer.h"
#include "TestFiles.h"

#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace download;
using testhttp::TLocalHttpServer;
using testhttp::TSeen;

namespace {

const std::string& Station() { return testhttp::StationZip(); }

// Every file of the folder, hidden ones (temporary files) too.
std::map<std::string, std::string> Contents(const std::string& Dir)
{
    std::map<std::string, std::string> out;
    for (const QString& name : QDir(QString::fromStdString(Dir)).entryList(QDir::Files | QDir::Hidden))
        out[name.toStdString()] = testfiles::Slurp(Dir + name.toStdString());
    return out;
}

enum class Ends { Complete, Unchanged };

struct Case {
    const char* Name;
    std::function<void(QTcpSocket&, const TSeen&)> Answer;
    bool Cached;  // an older copy (fetched 2025-01-02, ETag "v1") is in the cache
    bool Ok;
    TFailure Failure;
    Ends End;
    const char* Message = "";  // a part of the message the user reads
    bool Offline = false;
    bool Revalidated = false;
    TPeriod Period = TPeriod::WholeRecord;
};

void Ok200(QTcpSocket& S, const TSeen&) { TLocalHttpServer::Reply(S, 200, "ETag: \"v2\"\r\n", Station()); }

const Case kCases[] = {
    {"200 with Content-Length", Ok200, false, true, TFailure::None, Ends::Complete},
    {"200 without Content-Length",
     [](QTcpSocket& S, const TSeen&) { TLocalHttpServer::Reply(S, 200, "", Station(), false); }, false, true,
     TFailure::None, Ends::Complete},
    {"200 replaces an older copy", Ok200, true, true, TFailure::None, Ends::Complete},
    {"304 keeps the copy",
     [](QTcpSocket& S, const TSeen& R) {
         const bool same = R.Headers.count("if-none-match") && R.Headers.at("if-none-match") == "\"v1\"" &&
                           R.Headers.count("if-modified-since");
         if (same)
             TLocalHttpServer::Reply(S, 304, "", "", false);
         else
             Ok200(S, R);
     },
     true, true, TFailure::None, Ends::Unchanged, "", false, true},
    {"404", [](QTcpSocket& S, const TSeen&) { TLocalHttpServer::Reply(S, 404, "", "<html>Not Found</html>"); }, true,
     false, TFailure::NotFound, Ends::Unchanged, "NOAA's archive has no file for USM00072403 (whole record)."},
    {"500", [](QTcpSocket& S, const TSeen&) { TLocalHttpServer::Reply(S, 500, "", "oops"); }, true, false,
     TFailure::HttpStatus, Ends::Unchanged, "answered 500"},
    {"redirect within the scheme",
     [](QTcpSocket& S, const TSeen& R) {
         if (R.Path == "/moved.zip")
             Ok200(S, R);
         else
             TLocalHttpServer::Reply(S, 302, "Location: /moved.zip\r\n", "");
     },
     false, true, TFailure::None, Ends::Complete},
    {"redirect to another scheme",
     [](QTcpSocket& S, const TSeen&) {
         TLocalHttpServer::Reply(S, 302, "Location: https://127.0.0.1:1/x.zip\r\n", "");
     },
     false, false, TFailure::Redirect, Ends::Unchanged},
    {"truncated body",
     [](QTcpSocket& S, const TSeen&) {
         const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(Station().size()) + "\r\n\r\n";
         S.write(head.data(), qint64(head.size()));
         S.write(Station().data(), qint64(Station().size() / 2));
         S.disconnectFromHost();
     },
     true, false, TFailure::Truncated, Ends::Unchanged, "ended after"},
    {"HTML error page with 200",
     [](QTcpSocket& S, const TSeen&) {
         TLocalHttpServer::Reply(S, 200, "", "<!DOCTYPE html><html><body>Service unavailable</body></html>");
     },
     true, false, TFailure::BadBody, Ends::Unchanged, "web page"},
    {"3 GB declared",
     [](QTcpSocket& S, const TSeen&) { TLocalHttpServer::Trickle(S, Station(), 65536, 50, 3ull << 30); }, false, false,
     TFailure::TooLarge, Ends::Unchanged, "(3221.2 MB) is larger than 2 GiB, the archive limit"},
    {"connection closed, nothing cached", [](QTcpSocket& S, const TSeen&) { S.disconnectFromHost(); }, false, false,
     TFailure::Closed, Ends::Unchanged, "closed the connection"},
    {"connection closed, the cached copy stands in", [](QTcpSocket& S, const TSeen&) { S.disconnectFromHost(); }, true,
     true, TFailure::Closed, Ends::Unchanged, "", true},
    {"this year's file found in the folder's listing",
     [](QTcpSocket& S, const TSeen& R) {
         if (R.Path == "/access/data-y2d/")
             TLocalHttpServer::Reply(S, 200, "", "<a href=\"USM00072403-data-beg2016.txt.zip\">x</a>");
         else if (R.Path == "/access/data-y2d/USM00072403-data-beg2016.txt.zip")
             Ok200(S, R);
         else
             TLocalHttpServer::Reply(S, 404, "", "");
     },
     false, true, TFailure::None, Ends::Complete, "", false, false, TPeriod::ThisYear},
};

class DownloadCase : public ::testing::TestWithParam<Case> {};

TEST_P(DownloadCase, EndsWithTheCacheUnchangedOrComplete)
{
    const Case& c = GetParam();
    QTemporaryDir temp;
    const std::string dir = temp.path().toStdString() + "/igra/";
    QDir().mkpath(QString::fromStdString(dir));
    const std::string name =
        c.Period == TPeriod::WholeRecord ? "USM00072403-data.txt.zip" : "USM00072403-data-beg2016.txt.zip";
    // The older copy has other bytes than the server's.
    const std::string older = Station().substr(0, 1000);
    if (c.Cached) {
        testfiles::Put(dir + name, older);
        testfiles::Put(dir + name + ".meta",
                       "etag=\"v1\"\nlast-modified=Thu, 02 Jan 2025 00:00:00 GMT\nfetched=2025-01-02\n");
    }
    const auto before = Contents(dir);

    TLocalHttpServer server;
    server.Answer = c.Answer;
    TStationRequest request;
    request.Base = server.Base();
    request.Id = "USM00072403";
    request.Period = c.Period;
    request.Directory = dir;
    TFetchResult result = FetchAndWait(request, false);

    EXPECT_EQ(result.Ok, c.Ok) << result.Message;
    EXPECT_EQ(result.Failure, c.Failure) << result.Message;
    EXPECT_NE(result.Message.find(c.Message), std::string::npos) << result.Message;
    EXPECT_EQ(result.Offline, c.Offline);
    EXPECT_EQ(result.Revalidated, c.Revalidated);
    if (c.Offline) {
        EXPECT_EQ(result.CopyDate, "2025-01-02");
    }
    if (c.Ok) {
        EXPECT_EQ(result.Path, dir + name);
    }

    auto after = Contents(dir);
    if (c.End == Ends::Complete) {
        ASSERT_TRUE(after.count(name)) << "no file in the cache";
        EXPECT_TRUE(after[name] == Station()) << "the cached file differs from the server's";
        after.erase(name);
        after.erase(name + ".meta");
        EXPECT_TRUE(after.empty()) << after.begin()->first << " left in the cache";
    } else {
        // A revalidated copy keeps its bytes; only the day it was confirmed changes.
        if (c.Revalidated) after[name + ".meta"] = before.at(name + ".meta");
        EXPECT_TRUE(after == before) << "the cache changed";
    }
}

INSTANTIATE_TEST_SUITE_P(Server, DownloadCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& I) {
                             std::string name;
                             for (const char* p = I.param.Name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(Download, ASlowTrickleCancelledHalfWayLeavesTheCacheAsItWas)
{
    QTemporaryDir temp;
    const std::string dir = temp.path().toStdString() + "/";
    TLocalHttpServer server;
    server.Answer = [](QTcpSocket& S, const TSeen&) {
        TLocalHttpServer::Trickle(S, Station(), 32768, 5, Station().size());
    };
    TStationFetch fetch;
    TFetchResult result;
    std::uint64_t cancelledAt = 0;
    QEventLoop loop;
    fetch.OnProgress = [&](std::uint64_t Done, std::optional<std::uint64_t> Total) {
        if (!cancelledAt && Total && Done >= *Total / 2) {
            cancelledAt = Done;
            fetch.Cancel();
        }
    };
    fetch.OnFinished = [&](const TFetchResult& R) {
        result = R;
        loop.quit();
    };
    TStationRequest request;
    request.Base = server.Base();
    request.Id = "USM00072403";
    request.Directory = dir;
    fetch.Start(request);
    loop.exec();
    EXPECT_TRUE(result.Cancelled);
    EXPECT_GT(cancelledAt, 0u);
    EXPECT_LT(cancelledAt, Station().size());
    EXPECT_TRUE(Contents(dir).empty());
}

TEST(Download, TheSecondOpenRevalidatesWithOneRequest)
{
    QTemporaryDir temp;
    const std::string dir = temp.path().toStdString() + "/";
    TLocalHttpServer server;
    server.Answer = [](QTcpSocket& S, const TSeen& R) {
        if (R.Headers.count("if-none-match") && R.Headers.at("if-none-match") == "\"v2\"")
            TLocalHttpServer::Reply(S, 304, "", "", false);
        else
            TLocalHttpServer::Reply(S, 200, "ETag: \"v2\"\r\n", Station());
    };
    TStationRequest request;
    request.Base = server.Base();
    request.Id = "USM00072403";
    request.Directory = dir;
    ASSERT_TRUE(FetchAndWait(request, false).Ok);
    const std::size_t first = server.Requests.size();
    const TFetchResult second = FetchAndWait(request, false);
    EXPECT_TRUE(second.Revalidated);
    EXPECT_EQ(server.Requests.size(), first + 1);
    // Offline, no request at all.
    request.Offline = true;
    const TFetchResult offline = FetchAndWait(request, false);
    EXPECT_TRUE(offline.Ok && offline.Offline);
    EXPECT_EQ(server.Requests.size(), first + 1);
}

TEST(Download, AnIdThatIsNoStationIdNeverReachesTheDisk)
{
    QTemporaryDir temp;
    TStationRequest request;
    request.Base = "http://127.0.0.1:9/";
    request.Id = "../../etc/x";
    request.Directory = temp.path().toStdString() + "/";
    const TFetchResult result = FetchAndWait(request, false);
    EXPECT_FALSE(result.Ok);
    EXPECT_NE(result.Message.find("is not an IGRA station id"), std::string::npos);
}

}  // namespace

namespace {

// "Update Station List": the list replaces the cached one only when it reads
// as a station list.
TEST(Download, TheStationListIsKeptOnlyWhenItReadsAsOne)
{
    QTemporaryDir temp;
    const std::string dir = temp.path().toStdString() + "/";
    const std::string list = testfiles::Slurp(PROFILORA_DATA_DIR "/igra2-station-list.txt");
    TLocalHttpServer server;
    std::string body = "<html>maintenance</html>";
    server.Answer = [&](QTcpSocket& S, const TSeen& R) {
        if (R.Path == "/doc/igra2-station-list.txt")
            TLocalHttpServer::Reply(S, 200, "", body);
        else
            TLocalHttpServer::Reply(S, 404, "", "");
    };
    TStationRequest request;
    request.Base = server.Base();
    request.Directory = dir;
    const TFetchResult page = FetchAndWait(request, true);
    EXPECT_FALSE(page.Ok);
    EXPECT_NE(page.Message.find("web page"), std::string::npos) << page.Message;
    body = "USM00072403  38.9767  -77.4858   88.4 VA STERLING; VA.                  1960 2026  48156\n";
    EXPECT_FALSE(FetchAndWait(request, true).Ok);  // one line is no list
    EXPECT_TRUE(Contents(dir).empty());
    body = list;
    const TFetchResult fetched = FetchAndWait(request, true);
    EXPECT_TRUE(fetched.Ok) << fetched.Message;
    EXPECT_TRUE(Contents(dir)["igra2-station-list.txt"] == list);
}

}  // namespace
