#pragma once
// One HTTP(S) download, run in the event loop (it never blocks): the body
// streams straight into a file through the file-writing helper, checked
// as it comes, and replaces the target only when it is complete and the
// check passed. A copy that is already there is revalidated with its ETag
// and Last-Modified (a 304 leaves it as it is).

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

namespace download {

// The most a download may bring: the inflate limit of the archives.
inline constexpr std::uint64_t kMaxDownloadBytes = std::uint64_t(2) << 30;

enum class TFailure : std::uint8_t {
    None,
    Cancelled,
    NoNetwork,
    HostNotFound,
    Refused,
    TimedOut,
    Tls,
    NotFound,
    HttpStatus,
    BadBody,
    TooLarge,
    Truncated,
    Closed,
    DiskFull,
    Write,
    Redirect,
    Transfer,    // the connection failed in another way
    BadAddress,  // not an http or https address that can be asked
};

// Whether the transfer itself failed: the server could not be reached, did
// not answer, was too slow, or the connection broke (then a cached copy
// stands in). A server's answer (a status, a body that is no archive) is no
// failed transfer.
bool TransferFailed(TFailure Failure);

// An address as messages show it: without its user information (a name and
// password before "@"), also for a text that is no valid address.
std::string ShownAddress(const std::string& Url);

// How long a download may take: it ends when fewer than FloorBytes came in
// the last WindowMs (nothing at all, or a trickle), and when it is still
// running after OverallMs, redirects included.
struct TLimits {
    int WindowMs = 30000;
    std::uint64_t FloorBytes = std::uint64_t(64) << 10;
    int OverallMs = 60 * 60 * 1000;
};

// Checks a body as it streams in: "" while it may be right, else what is
// wrong with it in a sentence without a final period.
class TBodyCheck {
public:
    virtual ~TBodyCheck() = default;
    virtual std::string Feed(std::string_view Piece) = 0;
    virtual std::string Finish(std::uint64_t Total) = 0;
};

// A zip archive that holds exactly one member: it starts with a local file
// header and ends with an end-of-central-directory record that counts one
// entry and lies where its directory ends. Only the last 64 KiB are kept.
std::unique_ptr<TBodyCheck> MakeZipCheck();
// An IGRA v2 station list (kept whole in memory, at most 16 MiB).
std::unique_ptr<TBodyCheck> MakeStationListCheck();

struct TRequest {
    std::string Url;
    // The file the body replaces; empty: the body is kept in memory
    // (Result.Body), at most MaxBytes.
    std::string Target;
    // The validators of the copy at Target; empty: download unconditionally.
    std::string ETag;
    std::string LastModified;
    std::uint64_t MaxBytes = kMaxDownloadBytes;
    TLimits Limits;
    std::shared_ptr<TBodyCheck> Check;
    // Run on the complete body, in its temporary file, before it replaces
    // Target: "" when it may, else what is wrong with it.
    std::function<std::string(const std::string& Temporary)> Verify;
};

struct TResult {
    TFailure Failure = TFailure::None;
    std::string Message;  // for a failure, in words, without a final period
    int Status = 0;       // the HTTP status, 0 when none came
    bool NotModified = false;
    std::string ETag;
    std::string LastModified;
    std::uint64_t Bytes = 0;
    std::string Body;  // without a Target

    bool Ok() const { return Failure == TFailure::None; }
};

class TDownload : public QObject {
public:
    TDownload();
    ~TDownload() override;

    // Starts the download; OnFinished follows once, from the event loop. A
    // download still running is dropped without OnFinished.
    void Start(TRequest Request);
    // Stops it: OnFinished reports Cancelled and nothing is left behind.
    void Cancel();
    bool Running() const { return state_ != nullptr; }

    // Bytes so far and the total when the server declared one.
    std::function<void(std::uint64_t Done, std::optional<std::uint64_t> Total)> OnProgress;
    std::function<void(const TResult& Result)> OnFinished;

private:
    void Ask(const QUrl& Url);
    bool Redirected(int Status);
    void Tick();
    void HeadersCame();
    void DataCame();
    void Done();
    void Fail(TFailure Failure, const std::string& Message);
    void Finish();

    std::unique_ptr<QNetworkAccessManager> manager_;
    QNetworkReply* reply_ = nullptr;
    struct TState;
    std::unique_ptr<TState> state_;
    unsigned generation_ = 0;
};

// The progress line of a download: "12.3 MB of 60.0 MB, 45.6 MB/s, 1 s left"
// (without a total: "12.3 MB, 45.6 MB/s").
std::string ProgressText(std::uint64_t Done, std::optional<std::uint64_t> Total, double Seconds);

}  // namespace download
