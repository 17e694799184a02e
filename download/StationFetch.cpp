#include "download/StationFetch.h"

#include "download/PartFiles.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace download {

namespace {

std::string Sentence(std::string Text)
{
    if (!Text.empty() && Text[0] >= 'a' && Text[0] <= 'z') Text[0] = char(Text[0] - 'a' + 'A');
    if (!Text.empty() && Text.back() != '.') Text += '.';
    return Text;
}

std::string HostOf(const std::string& Url)
{
    const std::string host = QUrl(QString::fromStdString(Url)).host().toStdString();
    return host.empty() ? ShownAddress(Url) : host;
}

}  // namespace

TSizeProbe::TSizeProbe() : manager_(std::make_unique<QNetworkAccessManager>()) {}

TSizeProbe::~TSizeProbe()
{
    if (!reply_) return;
    reply_->disconnect(this);
    reply_->abort();
    reply_->deleteLater();
}

void TSizeProbe::Start(const TStationRequest& Request, std::function<void(std::optional<std::uint64_t>)> OnSize)
{
    const QUrl url(QString::fromStdString(StationFileUrl(Request.Base, Request.Id, Request.Period, ThisYear())));
    if (reply_ || !url.isValid() || (url.scheme() != "https" && url.scheme() != "http")) {
        QTimer::singleShot(0, this, [OnSize] { OnSize(std::nullopt); });
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(5000);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Profilora"));
    reply_ = manager_->head(request);
    connect(reply_, &QNetworkReply::finished, this, [this, OnSize] {
        QNetworkReply* reply = std::exchange(reply_, nullptr);
        reply->deleteLater();
        bool known = false;
        const qlonglong length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool ok = reply->error() == QNetworkReply::NoError && status == 200 && known && length > 0;
        OnSize(ok ? std::optional<std::uint64_t>(std::uint64_t(length)) : std::nullopt);
    });
}

TStationFetch::TStationFetch() = default;
TStationFetch::~TStationFetch() = default;

bool TStationFetch::Running() const { return running_; }

// The cache folder made (when missing) and swept of the temporary files
// of processes that have ended; false (and finished) when it cannot be.
bool TStationFetch::OpenCache()
{
    std::string error;
    if (request_.Directory.empty() && !FindCacheDirectory(request_.Directory, error)) {
        Fail(TFailure::Write, "Cannot download " + What() + ": " + error);
        return false;
    }
    if (!MakeDirectory(request_.Directory, error)) {
        Fail(TFailure::Write, error);
        return false;
    }
    SweepPartFiles(request_.Directory);
    return true;
}

bool TStationFetch::CheckBase()
{
    const QUrl base(QString::fromStdString(request_.Base));
    const QString scheme = base.scheme().toLower();
    const bool web = scheme == "http" || scheme == "https";
    if (web && base.isValid() && !base.host().isEmpty()) return true;
    Fail(TFailure::BadAddress,
         "The archive's address " + ShownAddress(request_.Base) + " ([Sources] IGRA in the settings) is " +
             (base.isValid() && !web ? "not an http or https address" : "not a valid web address"));
    return false;
}

std::string TStationFetch::CheckCopy(const std::string& Path) const
{
    return list_ ? CheckStationListCopy(Path) : CheckStationCopy(Path, request_.Id);
}

std::string TStationFetch::Damaged(const std::string& Path, const std::string& Why) const
{
    return "The cached copy of " + What() + ", " + Path + ", is a damaged download (" + Why +
           "); it will be fetched again at the next download.";
}

std::string TStationFetch::What() const
{
    return list_ ? std::string("the station list") : request_.Id + " (" + PeriodText(request_.Period) + ")";
}

void TStationFetch::Start(const TStationRequest& Request)
{
    request_ = Request;
    list_ = false;
    running_ = true;
    if (!IsStationId(request_.Id)) {
        Fail(TFailure::BadBody, "\"" + request_.Id + "\" is not an IGRA station id (11 letters and digits)");
        return;
    }
    if (!OpenCache()) return;
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
        if (const std::string why = CheckCopy(path); !why.empty()) {
            Fail(TFailure::BadBody, Damaged(path, why));
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
    if (!CheckBase()) return;
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
    if (!OpenCache() || !CheckBase()) return;
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
    listing.Limits = request_.Limits;
    download_.OnProgress = nullptr;
    download_.OnFinished = [this](const TResult& Result) {
        int year = ThisYear();
        if (Result.Ok()) {
            const std::vector<int> years = ThisYearFilesIn(Result.Body, request_.Id);
            if (!years.empty()) year = years.front();
        } else if (Result.Failure == TFailure::Cancelled || TransferFailed(Result.Failure)) {
            Fetched(Result, "", false);
            return;
        } else {
            Fail(Result.Failure, "Cannot find this year's file of " + request_.Id + ": the listing of " +
                                     ShownAddress(ThisYearFolderUrl(request_.Base)) + " failed: " + Result.Message);
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
    request.Limits = request_.Limits;
    // A copy that does not read is as good as none: its validators would
    // only have the server confirm it.
    if (const std::optional<TCachedCopy> copy = ReadCachedCopy(Path); copy && CheckCopy(Path).empty()) {
        request.ETag = copy->ETag;
        request.LastModified = copy->LastModified;
    }
    validated_ = !request.ETag.empty() || !request.LastModified.empty();
    request.Check =
        list_ ? std::shared_ptr<TBodyCheck>(MakeStationListCheck()) : std::shared_ptr<TBodyCheck>(MakeZipCheck());
    if (!list_)
        request.Verify = [Id = request_.Id](const std::string& Temporary) { return CheckStationCopy(Temporary, Id); };
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
        if (Result.NotModified && (!copy || !validated_)) {
            Fail(TFailure::HttpStatus,
                 "Cannot download " + What() + ": the server answered 304 for a file it never sent.");
            return;
        }
        TCachedCopy fresh;
        fresh.ETag = Result.NotModified && Result.ETag.empty() ? copy->ETag : Result.ETag;
        fresh.LastModified =
            Result.NotModified && Result.LastModified.empty() ? copy->LastModified : Result.LastModified;
        fresh.Fetched = TodayText();
        // Without it the next start downloads the whole file again.
        std::string error;
        if (!WriteCachedCopy(Path, fresh, error))
            result.Message = Sentence("the file is kept, but " + error + "; the next download fetches it whole again");
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
    // Also when the cache's disk is full: the complete old copy is there.
    if ((TransferFailed(Result.Failure) || Result.Failure == TFailure::DiskFull) && standIn) {
        if (const std::string why = CheckCopy(result.Path); !why.empty()) {
            Fail(Result.Failure,
                 "Cannot download " + What() + ": " + Result.Message + ". " + Damaged(result.Path, why));
            return;
        }
        result.Ok = true;
        result.Offline = true;
        result.CopyDate = standIn->Fetched;
        result.Failure = Result.Failure;
        result.Message = Sentence(Result.Message);
        Finish(result);
        return;
    }
    if (Result.Failure == TFailure::NotFound)
        Fail(Result.Failure, list_ ? "The archive at " + HostOf(request_.Base) + " has no station list (" +
                                         ShownAddress(StationListUrl(request_.Base)) + ")."
                                   : "The archive at " + HostOf(request_.Base) + " has no file for " + request_.Id +
                                         " (" + PeriodText(request_.Period) + ").");
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
