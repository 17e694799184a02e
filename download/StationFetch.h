#pragma once
// Brings a station file (or the station list) into the cache and names the
// copy to read: downloaded when the server has a newer one, kept after a 304,
// and the cached copy when the server cannot be reached. Never a partial
// file: a failed download leaves the cache as it was.

#include "download/Downloader.h"
#include "download/StationCache.h"

#include <QObject>

#include <memory>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QNetworkAccessManager;
class QNetworkReply;

namespace download {

struct TStationRequest {
    std::string Base = kDefaultIgraBase;  // the settings' [Sources] IGRA
    std::string Id;
    TPeriod Period = TPeriod::WholeRecord;
    bool Offline = false;   // the cached copy only, no request
    std::string Directory;  // the cache; empty: CacheDirectory()
    TLimits Limits;
};

struct TFetchResult {
    bool Ok = false;
    bool Cancelled = false;
    std::string Path;          // the copy in the cache
    bool Offline = false;      // the cached copy stands in for the server's
    bool Revalidated = false;  // the server answered 304
    std::string CopyDate;      // "YYYY-MM-DD": the day the copy was fetched
    TFailure Failure = TFailure::None;
    // A failure in a sentence, with its period; for a copy that is used, a
    // note worth telling (why the server's could not be had, a ".meta" file
    // that could not be written), or "".
    std::string Message;
};

class TStationFetch : public QObject {
public:
    TStationFetch();
    ~TStationFetch() override;

    // The station file of Request.Id for its period.
    void Start(const TStationRequest& Request);
    // The station list, "doc/igra2-station-list.txt" below Request.Base
    // (Id and Period unused).
    void StartList(const TStationRequest& Request);
    void Cancel();
    bool Running() const;

    std::function<void(std::uint64_t Done, std::optional<std::uint64_t> Total)> OnProgress;
    // Once per Start, from the event loop.
    std::function<void(const TFetchResult& Result)> OnFinished;

private:
    void Fetch(const std::string& Url, const std::string& Path, bool LookUpOnNotFound);
    void LookUpThisYear();
    void Fetched(const TResult& Result, const std::string& Path, bool LookUpOnNotFound);
    void Finish(TFetchResult Result);
    void Fail(TFailure Failure, const std::string& Message);
    bool OpenCache();
    bool CheckBase();
    // "" when the copy at Path reads as the reader reads it, else why not.
    std::string CheckCopy(const std::string& Path) const;
    std::string Damaged(const std::string& Path, const std::string& Why) const;
    std::string What() const;

    TDownload download_;
    TStationRequest request_;
    bool list_ = false;
    bool running_ = false;
    bool validated_ = false;  // the request asked for a copy's validators
};

// The size of the station file of Request.Id for its period as the server
// declares it to a HEAD request (following its redirects, a few seconds at
// most); OnSize once, from the event loop, with nothing when the server does
// not say or cannot be reached.
class TSizeProbe : public QObject {
public:
    TSizeProbe();
    ~TSizeProbe() override;
    void Start(const TStationRequest& Request, std::function<void(std::optional<std::uint64_t> Size)> OnSize);
    bool Running() const { return reply_ != nullptr; }

private:
    std::unique_ptr<QNetworkAccessManager> manager_;
    QNetworkReply* reply_ = nullptr;
};

// Runs a fetch to its end in a local event loop (a QCoreApplication must
// exist): for the exporter. Progress goes to OnProgress as it comes.
TFetchResult FetchAndWait(const TStationRequest& Request, bool List,
                          const std::function<void(std::uint64_t, std::optional<std::uint64_t>)>& OnProgress = {});

}  // namespace download
