#include "download/Downloader.h"

#include "download/PartFiles.h"
#include "platform/ReplaceFile.h"
#include "sounding/StationList.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace download {

namespace {

std::string S(const QString& Text) { return Text.toStdString(); }

std::string Megabytes(std::uint64_t Bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", double(Bytes) / 1e6);
    return text;
}

// A limit as people say it: "2 GiB", "16 MiB", "64 KiB".
std::string LimitText(std::uint64_t Bytes)
{
    if (Bytes >= (std::uint64_t(1) << 30) && Bytes % (std::uint64_t(1) << 30) == 0)
        return std::to_string(Bytes >> 30) + " GiB";
    if (Bytes >= (std::uint64_t(1) << 20)) return std::to_string(Bytes >> 20) + " MiB";
    if (Bytes >= 1024 && Bytes % 1024 == 0) return std::to_string(Bytes >> 10) + " KiB";
    return std::to_string(Bytes) + (Bytes == 1 ? " byte" : " bytes");
}

// A span of time: "30 seconds", "1.5 seconds", "60 minutes".
std::string SpanText(int Ms)
{
    if (Ms >= 120000 && Ms % 60000 == 0) return std::to_string(Ms / 60000) + " minutes";
    if (Ms % 1000 == 0) return std::to_string(Ms / 1000) + (Ms == 1000 ? " second" : " seconds");
    char text[32];
    std::snprintf(text, sizeof text, "%.1f seconds", Ms / 1000.0);
    return text;
}

// At most a line of an address the server named.
std::string Clipped(std::string Text)
{
    if (Text.size() > 200) Text = Text.substr(0, 200) + "...";
    return Text;
}

bool IsRedirect(int Status)
{
    return Status == 301 || Status == 302 || Status == 303 || Status == 307 || Status == 308;
}

// Removes every form of the address's user information from a message (the
// network library's own texts may hold the whole address).
std::string WithoutUserInfo(std::string Message, const QUrl& Url)
{
    if (Url.userInfo().isEmpty()) return Message;
    auto erase = [&](const std::string& Part, const std::string& By) {
        if (Part.empty()) return;
        for (std::size_t at = Message.find(Part); at != std::string::npos; at = Message.find(Part, at + By.size()))
            Message.replace(at, Part.size(), By);
    };
    for (auto format : {QUrl::FullyEncoded, QUrl::PrettyDecoded, QUrl::FullyDecoded})
        erase(Url.userInfo(format).toStdString() + "@", "");
    for (auto format : {QUrl::FullyEncoded, QUrl::FullyDecoded})
        if (Url.password(format).size() >= 3) erase(Url.password(format).toStdString(), "***");
    return Message;
}

std::uint32_t U16(std::string_view B, std::size_t At)
{
    return std::uint32_t(static_cast<unsigned char>(B[At])) | std::uint32_t(static_cast<unsigned char>(B[At + 1])) << 8;
}

std::uint64_t U32(std::string_view B, std::size_t At) { return U16(B, At) | std::uint64_t(U16(B, At + 2)) << 16; }

std::uint64_t U64(std::string_view B, std::size_t At) { return U32(B, At) | U32(B, At + 4) << 32; }

// The first bytes of an HTML page, a server's usual answer instead of a file.
bool LooksHtml(std::string_view Head)
{
    while (!Head.empty() &&
           (Head.front() == ' ' || Head.front() == '\n' || Head.front() == '\r' || Head.front() == '\t' ||
            Head.front() == '\xEF' || Head.front() == '\xBB' || Head.front() == '\xBF'))
        Head.remove_prefix(1);
    return !Head.empty() && Head.front() == '<';
}

class ZipCheck : public TBodyCheck {
public:
    std::string Feed(std::string_view Piece) override
    {
        if (head_.size() < 4) {
            head_.append(Piece.substr(0, 4 - head_.size()));
            if (head_.size() == 4 && head_ != std::string_view("PK\3\4", 4))
                return LooksHtml(head_) ? "the server sent a web page, not the zip archive"
                                        : "the server sent something other than a zip archive";
        }
        tail_.append(Piece);
        if (tail_.size() > 2 * kKeep) tail_.erase(0, tail_.size() - kKeep);
        return {};
    }

    std::string Finish(std::uint64_t Total) override
    {
        static const char* kBroken = "the zip archive is incomplete or damaged";
        if (head_.size() < 4) return Total == 0 ? "the server sent an empty file" : kBroken;
        const std::string_view tail(tail_);
        const std::uint64_t tailStart = Total - tail.size();
        // The end record is the last 22 bytes, or precedes a comment.
        for (std::size_t at = tail.size() >= 22 ? tail.size() - 22 : std::string_view::npos;
             at != std::string_view::npos; --at) {
            if (tail.compare(at, 4, "PK\5\6") != 0) {
                if (at == 0) break;
                continue;
            }
            if (at + 22 + U16(tail, at + 20) != tail.size()) {
                if (at == 0) break;
                continue;
            }
            std::uint64_t entries = U16(tail, at + 10);
            std::uint64_t size = U32(tail, at + 12);
            std::uint64_t offset = U32(tail, at + 16);
            std::uint64_t directoryEnd = tailStart + at;
            if ((entries == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) && at >= 20 &&
                tail.compare(at - 20, 4, "PK\6\7") == 0) {
                // Zip64: the locator names the zip64 end record.
                const std::uint64_t record = U64(tail, at - 20 + 8);
                if (record < tailStart || record - tailStart + 56 > at - 20) return kBroken;
                const std::size_t r = std::size_t(record - tailStart);
                if (tail.compare(r, 4, "PK\6\6") != 0) return kBroken;
                entries = U64(tail, r + 32);
                size = U64(tail, r + 40);
                offset = U64(tail, r + 48);
                directoryEnd = record;
            }
            if (entries != 1) return "the zip archive holds " + std::to_string(entries) + " files, not one";
            if (offset + size != directoryEnd) return kBroken;
            // The directory's one entry, where it lies in what was kept.
            if (offset >= tailStart && tail.compare(std::size_t(offset - tailStart), 4, "PK\1\2") != 0) return kBroken;
            return {};
        }
        return kBroken;
    }

private:
    static constexpr std::size_t kKeep = 65536 + 22 + 20 + 56;
    std::string head_;
    std::string tail_;
};

class StationListCheck : public TBodyCheck {
public:
    std::string Feed(std::string_view Piece) override
    {
        if (text_.empty() && LooksHtml(Piece)) return "the server sent a web page, not the station list";
        if (text_.size() + Piece.size() > kMax) return "the station list is larger than 16 MiB";
        text_.append(Piece);
        return {};
    }
    std::string Finish(std::uint64_t) override
    {
        if (!sounding::LooksLikeStationList(sounding::ReadStationList(text_)))
            return "the file is no IGRA station list";
        return {};
    }

private:
    static constexpr std::size_t kMax = std::size_t(16) << 20;
    std::string text_;
};

}  // namespace

bool TransferFailed(TFailure Failure)
{
    return Failure == TFailure::NoNetwork || Failure == TFailure::HostNotFound || Failure == TFailure::Refused ||
           Failure == TFailure::TimedOut || Failure == TFailure::Closed || Failure == TFailure::Truncated ||
           Failure == TFailure::Tls || Failure == TFailure::Transfer;
}

std::string ShownAddress(const std::string& Url)
{
    const std::size_t scheme = Url.find("://");
    if (scheme == std::string::npos) return Url;
    const std::size_t start = scheme + 3;
    const std::size_t end = std::min(Url.find_first_of("/?#", start), Url.size());
    const std::size_t at = Url.rfind('@', end == 0 ? 0 : end - 1);
    if (at == std::string::npos || at < start || at >= end) return Url;
    return Url.substr(0, start) + Url.substr(at + 1);
}

std::unique_ptr<TBodyCheck> MakeZipCheck() { return std::make_unique<ZipCheck>(); }
std::unique_ptr<TBodyCheck> MakeStationListCheck() { return std::make_unique<StationListCheck>(); }

std::string ProgressText(std::uint64_t Done, std::optional<std::uint64_t> Total, double Seconds)
{
    const double rate = Seconds > 0.05 ? double(Done) / Seconds : 0.0;
    std::string text = Megabytes(Done);
    if (Total) text += " of " + Megabytes(*Total);
    if (rate > 0) {
        char r[32];
        std::snprintf(r, sizeof r, ", %.1f MB/s", rate / 1e6);
        text += r;
        if (Total && *Total >= Done) {
            const long left = std::lround(double(*Total - Done) / rate);
            text += left >= 60 ? ", " + std::to_string(left / 60) + " min " + std::to_string(left % 60) + " s left"
                               : ", " + std::to_string(left) + " s left";
        }
    }
    return text;
}

// ---------------------------------------------------------------- the download

struct TDownload::TState {
    TRequest Request;
    TResult Result;
    platform::TReplacement File;
    bool Decided = false;    // the status is known and the body's way chosen
    bool Streaming = false;  // the body is the file's
    bool Failed = false;
    std::optional<std::uint64_t> Declared;
    QUrl First;                     // the address asked first
    int Redirects = 0;              // followed so far
    std::uint64_t Received = 0;     // every byte read, redirects' and error pages' too
    std::uint64_t WindowStart = 0;  // Received when the floor's window began
    QTimer Window;
    QTimer Overall;
    QElapsedTimer Clock;
    TPartGuard Guard;  // before File: the file goes before its guard
    std::vector<char> Buffer = std::vector<char>(std::size_t(128) << 10);
};

TDownload::TDownload() : manager_(std::make_unique<QNetworkAccessManager>()) {}

TDownload::~TDownload()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }
}

void TDownload::Start(TRequest Request)
{
    // A download still running is dropped without a word.
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }
    ++generation_;
    state_ = std::make_unique<TState>();
    state_->Request = std::move(Request);
    TState& s = *state_;
    s.First = QUrl(QString::fromStdString(s.Request.Url));
    s.Clock.start();
    const QString scheme = s.First.scheme().toLower();
    const bool web = scheme == "http" || scheme == "https";
    if (!s.First.isValid() || s.First.host().isEmpty() || !web) {
        Fail(TFailure::BadAddress,
             "the address " + ShownAddress(s.Request.Url) +
                 (s.First.isValid() && !web ? " is not an http or https address" : " is not a valid web address"));
        return;
    }
    s.Window.setInterval(s.Request.Limits.WindowMs);
    connect(&s.Window, &QTimer::timeout, this, [this] { Tick(); });
    s.Window.start();
    s.Overall.setSingleShot(true);
    s.Overall.setInterval(s.Request.Limits.OverallMs);
    connect(&s.Overall, &QTimer::timeout, this, [this] {
        Fail(TFailure::TimedOut, "the download was still running after " + SpanText(state_->Request.Limits.OverallMs) +
                                     ", the limit for one download");
    });
    s.Overall.start();
    Ask(s.First);
}

// One request of the download: the first, or one a redirect names.
void TDownload::Ask(const QUrl& Url)
{
    const TRequest& r = state_->Request;
    QNetworkRequest request(Url);
    // Redirects are followed here, as soon as their headers came, whatever
    // their bodies.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, true);
    // The bytes as the server keeps them: Content-Length then counts them.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Profilora"));
    if (!r.Target.empty() && !r.ETag.empty()) request.setRawHeader("If-None-Match", QByteArray::fromStdString(r.ETag));
    if (!r.Target.empty() && !r.LastModified.empty())
        request.setRawHeader("If-Modified-Since", QByteArray::fromStdString(r.LastModified));

    reply_ = manager_->get(request);
    // Qt keeps at most this much before the body is read: it never holds it.
    reply_->setReadBufferSize(qint64(128) << 10);
    QNetworkReply* reply = reply_;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply == reply_) HeadersCame();
    });
    connect(reply, &QIODevice::readyRead, this, [this, reply] {
        if (reply == reply_) DataCame();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (reply == reply_) Done();
    });
}

// Fewer bytes than the floor in the last window end the download.
void TDownload::Tick()
{
    TState& s = *state_;
    const std::uint64_t came = s.Received - s.WindowStart;
    s.WindowStart = s.Received;
    if (came >= s.Request.Limits.FloorBytes) return;
    const std::string window = SpanText(s.Request.Limits.WindowMs);
    if (came == 0)
        Fail(TFailure::TimedOut, s.Decided || s.Redirects > 0 ? "the server sent nothing for " + window
                                                              : "the server sent no complete answer within " + window);
    else
        Fail(TFailure::TimedOut, "the server is too slow: " + LimitText(came) + " came in the last " + window +
                                     ", less than " + LimitText(s.Request.Limits.FloorBytes));
}

// A redirect is followed (at most 5 in a row, within the scheme); true when
// the status was one.
bool TDownload::Redirected(int Status)
{
    if (!IsRedirect(Status)) return false;
    TState& s = *state_;
    const QByteArray location = reply_->rawHeader("Location").trimmed();
    const std::string code = std::to_string(Status);
    if (location.isEmpty()) {
        // Also a Location the network library could not keep (200 KB).
        Fail(TFailure::Redirect, "the server answered " + code + " (moved) without an address to follow");
        return true;
    }
    const QUrl to = reply_->url().resolved(QUrl::fromEncoded(location));
    if (!to.isValid() || to.host().isEmpty()) {
        Fail(TFailure::Redirect, "the server sent the download on to " + Clipped(ShownAddress(location.toStdString())) +
                                     ", which is no valid address");
        return true;
    }
    if (to.scheme().toLower() != s.First.scheme().toLower()) {
        Fail(TFailure::Redirect, "the server sent the download on to another kind of address (" +
                                     Clipped(ShownAddress(S(to.toString()))) + ")");
        return true;
    }
    if (++s.Redirects > 5) {
        Fail(TFailure::Redirect, "the server sent the download around more than 5 redirects");
        return true;
    }
    reply_->disconnect(this);
    reply_->abort();
    reply_->deleteLater();
    Ask(to);
    return true;
}

void TDownload::Cancel()
{
    if (reply_ && state_ && !state_->Failed) Fail(TFailure::Cancelled, "cancelled");
}

void TDownload::HeadersCame()
{
    TState& s = *state_;
    if (s.Decided || s.Failed) return;
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0 || Redirected(status)) return;
    s.Decided = true;
    s.Result.Status = status;
    s.Result.ETag = reply_->rawHeader("ETag").toStdString();
    s.Result.LastModified = reply_->rawHeader("Last-Modified").toStdString();
    if (status < 200 || status >= 300) return;  // the body is the server's message; it is dropped
    bool known = false;
    const qlonglong length = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length >= 0) s.Declared = std::uint64_t(length);
    if (s.Declared && *s.Declared > s.Request.MaxBytes) {
        Fail(TFailure::TooLarge, "the file (" + Megabytes(*s.Declared) + ") is larger than " +
                                     LimitText(s.Request.MaxBytes) + ", the archive limit");
        return;
    }
    if (!s.Request.Target.empty()) {
        platform::FileError error;
        if (!s.File.Open(s.Request.Target, error, platform::TNameMode::OwnFile)) {
            Fail(error.Code == ENOSPC ? TFailure::DiskFull : TFailure::Write,
                 "cannot write " + s.Request.Target + ": " + (error.Code ? std::strerror(error.Code) : error.Message));
            return;
        }
        s.Guard.Arm(s.File.Temporary());
    }
    s.Streaming = true;
}

void TDownload::DataCame()
{
    if (!state_ || state_->Failed) return;
    HeadersCame();
    TState& s = *state_;
    if (s.Failed) return;  // the state lives until the queued finish
    for (;;) {
        const qint64 n = reply_->read(s.Buffer.data(), qint64(s.Buffer.size()));
        if (n <= 0) break;
        s.Received += std::uint64_t(n);
        if (!s.Streaming) continue;  // an error page or a redirect's body
        const std::string_view piece(s.Buffer.data(), std::size_t(n));
        s.Result.Bytes += std::uint64_t(n);
        if (s.Result.Bytes > s.Request.MaxBytes) {
            Fail(TFailure::TooLarge,
                 "the file is larger than " + LimitText(s.Request.MaxBytes) + ", the archive limit");
            return;
        }
        if (s.Request.Check) {
            const std::string wrong = s.Request.Check->Feed(piece);
            if (!wrong.empty()) {
                Fail(TFailure::BadBody, wrong);
                return;
            }
        }
        platform::FileError error;
        if (s.Request.Target.empty()) {
            s.Result.Body.append(piece);
        } else if (!s.File.Write(piece, error)) {
            Fail(error.Code == ENOSPC ? TFailure::DiskFull : TFailure::Write,
                 error.Code == ENOSPC ? "the disk is full (" + s.Request.Target + ")"
                                      : "cannot write " + s.Request.Target + ": " +
                                            (error.Code ? std::strerror(error.Code) : error.Message));
            return;
        }
    }
    if (s.Streaming && OnProgress) OnProgress(s.Result.Bytes, s.Declared);
}

void TDownload::Fail(TFailure Failure, const std::string& Message)
{
    if (!state_ || state_->Failed) return;
    state_->Failed = true;
    state_->Result.Failure = Failure;
    state_->Result.Message = Message;
    state_->File.Discard();
    state_->Guard.Disarm();
    state_->Window.stop();
    state_->Overall.stop();
    // The reply stops here; the result follows from the event loop, never
    // from inside the caller.
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (state_ && generation == generation_) Finish();
        },
        Qt::QueuedConnection);
}

void TDownload::Done()
{
    const QNetworkReply* before = reply_;
    DataCame();
    if (!state_ || state_->Failed || reply_ != before) return;  // failed (finishes from the loop), or redirected
    TState& s = *state_;
    const QNetworkReply::NetworkError error = reply_->error();
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const std::string host = S(reply_->url().host());
    const std::string url = ShownAddress(S(reply_->url().toString()));
    s.Result.Status = status;
    auto fail = [&](TFailure F, const std::string& M) {
        s.Failed = true;
        s.Result.Failure = F;
        s.Result.Message = M;
        s.File.Discard();
    };
    if (status == 304) {
        s.Result.NotModified = true;
    } else if (status == 404 || status == 410) {
        fail(TFailure::NotFound, "the server has no file " + url);
    } else if (status >= 300) {
        const std::string reason = S(reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
        fail(TFailure::HttpStatus,
             "the server answered " + std::to_string(status) + (reason.empty() ? "" : " " + reason) + " for " + url);
    } else if (s.Streaming && s.Declared && s.Result.Bytes < *s.Declared) {
        fail(TFailure::Truncated, "the download ended after " + std::to_string(s.Result.Bytes) + " of " +
                                      std::to_string(*s.Declared) + " bytes");
    } else if (error != QNetworkReply::NoError || !s.Streaming) {
        switch (error) {
        case QNetworkReply::HostNotFoundError:
            fail(TFailure::HostNotFound, "the server " + host + " was not found");
            break;
        case QNetworkReply::ConnectionRefusedError:
            fail(TFailure::Refused, "the server " + host + " refused the connection");
            break;
        case QNetworkReply::RemoteHostClosedError:
            fail(TFailure::Closed, "the server " + host + " closed the connection before the download was complete");
            break;
        case QNetworkReply::TimeoutError:
        case QNetworkReply::OperationCanceledError:
            fail(TFailure::TimedOut, "the server " + host + " did not answer");
            break;
        case QNetworkReply::SslHandshakeFailedError:
            fail(TFailure::Tls, "the secure connection to " + host + " failed: " + S(reply_->errorString()));
            break;
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::UnknownNetworkError:
            fail(TFailure::NoNetwork, "there is no network connection (" + S(reply_->errorString()) + ")");
            break;
        case QNetworkReply::InsecureRedirectError:
        case QNetworkReply::TooManyRedirectsError:
            fail(TFailure::Redirect, "the server sent the download around too many redirects");
            break;
        default:
            fail(TFailure::Transfer, "the download of " + url + " failed: " + S(reply_->errorString()));
            break;
        }
    } else {
        std::string wrong = s.Request.Check ? s.Request.Check->Finish(s.Result.Bytes) : std::string();
        if (wrong.empty() && s.Request.Verify && !s.Request.Target.empty())
            wrong = s.Request.Verify(s.File.Temporary());
        platform::FileError fileError;
        if (!wrong.empty())
            fail(TFailure::BadBody, wrong);
        else if (!s.Request.Target.empty() && !s.File.Commit(fileError))
            fail(fileError.Code == ENOSPC ? TFailure::DiskFull : TFailure::Write,
                 fileError.Code == ENOSPC ? "the disk is full (" + s.Request.Target + ")"
                                          : "cannot write " + s.Request.Target + ": " + fileError.Message);
        s.Guard.Disarm();
    }
    Finish();
}

void TDownload::Finish()
{
    std::unique_ptr<TState> state = std::move(state_);
    state->Window.stop();
    state->Overall.stop();
    state->File.Discard();  // committed: nothing left to remove
    state->Guard.Disarm();
    if (reply_) {
        reply_->disconnect(this);
        reply_->deleteLater();
        reply_ = nullptr;
    }
    if (state->Result.Failure != TFailure::None) state->Result.Body.clear();
    state->Result.Message = WithoutUserInfo(std::move(state->Result.Message), state->First);
    const TResult result = std::move(state->Result);
    state.reset();
    if (OnFinished) OnFinished(result);
}

}  // namespace download
