#include "download/StationFetch.h"

#include <QEventLoop>
#include <QTimer>

namespace download {

namespace {

std::string Sentence(std::string Text)
{
    if (!Text.empty() && Text[0] >= 'a' && Text[0] <= 'z') Text[0] = char(Text[0] - 'a' + 'A');
    if (!Text.empty() && Text.back() != '.') Text += '.';
    return Text;
}

}  // namespace

TStationFetch::TStationFetch() = default;
TStationFetch::~TStationFetch() = default;

bool TStationFetch::Running() const { return running_; }

std::string TStationFetch::What() const
{
    return list_ ? std::string("the station list") : request_.Id + " (" + PeriodText(request_.Period) + ")";
}

void TStationFetch::Start(const TStationRequest& Request)
{
    request_ = Request;
    list_ = false;
    running_ = true;
    if (request_.Directory.empty()) request_.Directory = CacheDirectory();
    if (!IsStationId(request_.Id)) {
        Fail(TFailure::BadBody, "\"" + request_.Id + "\" is not an IGRA station id (11 letters and digits)");
        return;
    }
    std::string error;
    if (!MakeDirectory(request_.Directory, error)) {
        Fail(TFailure::Write, error);
        return;
    }
    const std::optional<int> cachedYear =
        request_.Period == TPeriod::ThisYear ? CachedThisYear(request_.Directory, request_.Id) : std::nullopt;
    const std::string path = request_.Directory + StationFileName(request_.Id, request_.Period, cachedYear.value_or(0));
    if (request_.Offline) {
        const std::optional<TCachedCopy> copy =
            request_.Period == TPeriod::ThisYear && !cachedYear ? std::nullopt : ReadCachedCopy(path);
        if (!copy) {
            Fail(TFailure::NoNetwork, "There is no offline copy of " + What());
            return;
        }
        TFetchResult result;
        result.Ok = true;
        result.Offline = true;
        result.Path = path;
        result.CopyDate = copy->Fetched;
        Finish(result);
        return;
    }
    if (request_.Period == TPeriod::WholeRecord || cachedYear)
        Fetch(StationFileUrl(request_.Base, request_.Id, request_.Period, cachedYear.value_or(0)), path,
              request_.Period == TPeriod::ThisYear);
    else
        LookUpThisYear();
}

void TStationFetch::StartList(const TStationRequest& Request)
{
    request_ = Request;
    list_ = true;
    running_ = true;
    if (request_.Directory.empty()) request_.Directory = CacheDirectory();
    std::string error;
    if (!MakeDirectory(request_.Directory, error)) {
        Fail(TFailure::Write, error);
        return;
    }
    Fetch(StationListUrl(request_.Base), request_.Directory + kStationListName, false);
}

void TStationFetch::Cancel()
{
    if (running_) download_.Cancel();
}

// This year's file is named after the year it begins; the folder's listing
// tells which it is (early in a year it is still the last one's).
void TStationFetch::LookUpThisYear()
{
    TRequest listing;
    listing.Url = ThisYearFolderUrl(request_.Base);
    listing.MaxBytes = std::uint64_t(16) << 20;
    listing.IdleTimeoutMs = request_.IdleTimeoutMs;
    download_.OnProgress = nullptr;
    download_.OnFinished = [this](const TResult& Result) {
        int year = ThisYear();
        if (Result.Ok()) {
            const std::vector<int> years = ThisYearFilesIn(Result.Body, request_.Id);
            if (!years.empty()) year = years.front();
        } else if (Result.Failure == TFailure::Cancelled || IsUnreachable(Result.Failure)) {
            Fetched(Result, "", false);
            return;
        }
        Fetch(StationFileUrl(request_.Base, request_.Id, TPeriod::ThisYear, year),
              request_.Directory + StationFileName(request_.Id, TPeriod::ThisYear, year), false);
    };
    download_.Start(std::move(listing));
}

void TStationFetch::Fetch(const std::string& Url, const std::string& Path, bool LookUpOnNotFound)
{
    TRequest request;
    request.Url = Url;
    request.Target = Path;
    request.IdleTimeoutMs = request_.IdleTimeoutMs;
    if (const std::optional<TCachedCopy> copy = ReadCachedCopy(Path)) {
        request.ETag = copy->ETag;
        request.LastModified = copy->LastModified;
    }
    request.Check =
        list_ ? std::shared_ptr<TBodyCheck>(MakeStationListCheck()) : std::shared_ptr<TBodyCheck>(MakeZipCheck());
    download_.OnProgress = [this](std::uint64_t Done, std::optional<std::uint64_t> Total) {
        if (OnProgress) OnProgress(Done, Total);
    };
    download_.OnFinished = [this, Path, LookUpOnNotFound](const TResult& Result) {
        Fetched(Result, Path, LookUpOnNotFound);
    };
    download_.Start(std::move(request));
}

void TStationFetch::Fetched(const TResult& Result, const std::string& Path, bool LookUpOnNotFound)
{
    const std::optional<TCachedCopy> copy = Path.empty() ? std::nullopt : ReadCachedCopy(Path);
    TFetchResult result;
    result.Path = Path;
    if (Result.Ok()) {
        if (Result.NotModified && !copy) {
            Fail(TFailure::HttpStatus,
                 "Cannot download " + What() + ": the server answered 304 for a file it never sent.");
            return;
        }
        TCachedCopy fresh;
        fresh.ETag = Result.NotModified && Result.ETag.empty() ? copy->ETag : Result.ETag;
        fresh.LastModified =
            Result.NotModified && Result.LastModified.empty() ? copy->LastModified : Result.LastModified;
        fresh.Fetched = TodayText();
        std::string ignored;  // without it the next start downloads the whole file again
        WriteCachedCopy(Path, fresh, ignored);
        result.Ok = true;
        result.Revalidated = Result.NotModified;
        result.CopyDate = fresh.Fetched;
        Finish(result);
        return;
    }
    if (Result.Failure == TFailure::Cancelled) {
        result.Cancelled = true;
        result.Failure = TFailure::Cancelled;
        Finish(result);
        return;
    }
    if (Result.Failure == TFailure::NotFound && LookUpOnNotFound) {
        LookUpThisYear();
        return;
    }
    // Without the server the copy in the cache stands in.
    std::optional<TCachedCopy> standIn = copy;
    if (!standIn && !list_ && request_.Period == TPeriod::ThisYear)
        if (const std::optional<int> year = CachedThisYear(request_.Directory, request_.Id)) {
            result.Path = request_.Directory + StationFileName(request_.Id, TPeriod::ThisYear, *year);
            standIn = ReadCachedCopy(result.Path);
        }
    if (IsUnreachable(Result.Failure) && standIn) {
        result.Ok = true;
        result.Offline = true;
        result.CopyDate = standIn->Fetched;
        result.Failure = Result.Failure;
        result.Message = Sentence(Result.Message);
        Finish(result);
        return;
    }
    if (Result.Failure == TFailure::NotFound)
        Fail(Result.Failure,
             list_ ? "The archive has no station list at " + StationListUrl(request_.Base) + "."
                   : "NOAA's archive has no file for " + request_.Id + " (" + PeriodText(request_.Period) + ").");
    else
        Fail(Result.Failure, "Cannot download " + What() + ": " + Result.Message);
}

void TStationFetch::Fail(TFailure Failure, const std::string& Message)
{
    TFetchResult result;
    result.Failure = Failure;
    result.Message = Sentence(Message);
    Finish(result);
}

void TStationFetch::Finish(TFetchResult Result)
{
    // Always from the event loop, also for a request refused at once.
    QMetaObject::invokeMethod(
        this,
        [this, Result] {
            running_ = false;
            if (OnFinished) OnFinished(Result);
        },
        Qt::QueuedConnection);
}

TFetchResult FetchAndWait(const TStationRequest& Request, bool List,
                          const std::function<void(std::uint64_t, std::optional<std::uint64_t>)>& OnProgress)
{
    TStationFetch fetch;
    QEventLoop loop;
    TFetchResult result;
    fetch.OnProgress = OnProgress;
    fetch.OnFinished = [&](const TFetchResult& R) {
        result = R;
        loop.quit();
    };
    if (List)
        fetch.StartList(Request);
    else
        fetch.Start(Request);
    loop.exec();
    return result;
}

}  // namespace download
