#include "app/ClimateSource.h"

#include "analysis/ClimatologyCache.h"
#include "app/ShownSet.h"
#include "app/WindowPlaces.h"
#include "download/StationCache.h"
#include "download/StationElevations.h"
#include "download/StationFetch.h"
#include "platform/Platform.h"
#include "platform/Progress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <set>

namespace app {

int YearsSpanned(const std::vector<TSounding>& Soundings)
{
    std::set<int> years;
    for (const TSounding& s : Soundings)
        if (s.Launch.Known()) years.insert(s.Launch.Year);
    return int(years.size());
}

std::string TooFewYearsText(const std::vector<TSounding>& Soundings)
{
    int first = 0, last = 0;
    for (const TSounding& s : Soundings)
        if (s.Launch.Known()) {
            first = first == 0 ? s.Launch.Year : std::min<int>(first, s.Launch.Year);
            last = std::max<int>(last, s.Launch.Year);
        }
    const int years = YearsSpanned(Soundings);
    std::string text = "The launches on show span " + std::to_string(years) + (years == 1 ? " year" : " years");
    if (years > 0) text += " (" + std::to_string(first) + (first == last ? "" : "-" + std::to_string(last)) + ")";
    return text + "; a climatology needs at least " + std::to_string(kClimateMinYears) + ".";
}

std::string OneStationId(const std::vector<TSounding>& Soundings)
{
    if (Soundings.empty()) return {};
    const auto& first = Soundings.front().Launch.Station;
    for (const TSounding& s : Soundings)
        if (s.Launch.Station != first) return {};
    const std::string id(first.begin(), first.end());
    return download::IsStationId(id) ? id : std::string();
}

std::string CachedWholeRecord(const std::vector<TSounding>& Soundings)
{
    const std::string id = OneStationId(Soundings);
    const std::string directory = download::CacheDirectory();
    if (id.empty() || directory.empty()) return {};
    const std::string path = directory + download::StationFileName(id, download::TPeriod::WholeRecord, 0);
    return platform::files().FileExists(path) ? path : std::string();
}

std::string WholeRecordQuestion(const std::string& Station, std::optional<std::uint64_t> Size)
{
    std::string size = "size unknown";
    if (Size) {
        const double mb = double(*Size) / 1e6;
        char text[32];
        std::snprintf(text, sizeof text, mb < 10 ? "%.1f" : "%.0f", mb);
        size = mb < 0.1 ? std::string("under 0.1 MB") : "about " + std::string(text) + " MB";
    }
    return "A climatology of " + Station + " needs its whole record: download it (" + size + ")?";
}

TClimateSource::TClimateSource(TShownSet& Shown)
    : shown_(Shown),
      igraBase_(download::kDefaultIgraBase),
      fetch_(std::make_unique<download::TStationFetch>()),
      probe_(std::make_unique<download::TSizeProbe>())
{
    setObjectName("ClimateSource");
    connect(&shown_, &TShownSet::pageChanged, this, [this] {
        // A date range narrows what is shown, not the record.
        const std::vector<TSounding>& whole = shown_.WholeSet();
        const std::string print = whole.empty() ? std::string()
                                                : std::to_string(whole.size()) + whole.front().Title + "|" +
                                                      whole.back().Title + "|" + shown_.Name();
        if (print == print_ && (climate_ || !workers_.empty() || !status_.empty())) return;
        print_ = print;
        Compute(whole);
    });
}

TClimateSource::~TClimateSource()
{
    fetch_->OnFinished = nullptr;
    fetch_->OnProgress = nullptr;
    fetch_->Cancel();
    // The worker holds no pointer into this object but its queued result,
    // which is dropped with it; its deletion, queued on this object, is
    // dropped too, so it is deleted here.
    for (QThread* worker : workers_) {
        worker->wait();
        delete worker;
    }
}

void TClimateSource::Compute(const std::vector<TSounding>& Soundings)
{
    const int generation = ++generation_;
    const bool hadOne = climate_ != nullptr;
    climate_.reset();
    const bool few = YearsSpanned(Soundings) < kClimateMinYears;
    const std::string cached = few ? CachedWholeRecord(Soundings) : std::string();
    if (few && cached.empty()) {
        status_ = TooFewYearsText(Soundings);
        emit changed();
        return;
    }
    status_ = cached.empty() ? "Computing the climatology of " + std::to_string(YearsSpanned(Soundings)) + " years..."
                             : std::string("Reading the climatology of the station's whole record...");
    // A copy: the set on show may change while the worker reads it.
    auto record = std::make_shared<const std::vector<TSounding>>(cached.empty() ? Soundings : std::vector<TSounding>());
    QThread* worker = QThread::create([this, record, cached, generation] {
        std::shared_ptr<const sounding::TClimatology> climate;
        if (cached.empty()) {
            climate = std::make_shared<const sounding::TClimatology>(sounding::BuildClimatology(*record, 1));
        } else {
            sounding::TStationClimatology kept = sounding::StationClimatology(cached, download::StationElevations(), 1);
            if (kept.Climatology)
                climate = std::make_shared<const sounding::TClimatology>(std::move(*kept.Climatology));
        }
        QMetaObject::invokeMethod(
            this, [this, generation, climate] { Finished(generation, climate); }, Qt::QueuedConnection);
    });
    // An older worker goes on to its end; its result is dropped by its
    // generation.
    workers_.push_back(worker);
    connect(worker, &QThread::finished, this, [this, worker] {
        workers_.erase(std::remove(workers_.begin(), workers_.end(), worker), workers_.end());
        worker->deleteLater();
    });
    worker->start(QThread::LowPriority);
    if (hadOne || !status_.empty()) emit changed();
}

void TClimateSource::Finished(int Generation, std::shared_ptr<const sounding::TClimatology> Climate)
{
    if (Generation != generation_) return;
    climate_ = std::move(Climate);
    status_ = climate_ ? std::string() : std::string("The station's cached whole record does not read.");
    emit changed();
}

void TClimateSource::SetClimatology(std::shared_ptr<const sounding::TClimatology> Climate)
{
    ++generation_;
    climate_ = std::move(Climate);
    status_ = climate_ ? std::string() : std::string("No climatology");
    emit changed();
}

bool TClimateSource::Downloading() const { return fetch_->Running() || probe_->Running(); }

void TClimateSource::Want()
{
    const std::vector<TSounding>& whole = shown_.WholeSet();
    if (climate_ || !workers_.empty() || Downloading() || YearsSpanned(whole) >= kClimateMinYears) return;
    const std::string id = OneStationId(whole);
    if (id.empty() || !CachedWholeRecord(whole).empty()) return;
    // The answer is kept per station: "1" download, "0" never ask again.
    const std::string key = "WholeRecord_" + id;
    if (KeptOption(key, false) == KeptOption(key, true)) {
        if (KeptOption(key, false)) FetchWholeRecord(id);
        return;
    }
    download::TStationRequest request;
    request.Base = igraBase_;
    request.Id = id;
    // The question waits for the server to tell the size (or not, within
    // seconds); the window goes on meanwhile.
    probe_->Start(request, [this, id, key](std::optional<std::uint64_t> Size) {
        const bool yes = platform::prompts().MessageBox(WholeRecordQuestion(id, Size), "Station Climatology",
                                                        platform::MsgButtons::YesNoCancel,
                                                        platform::MsgIcon::Question) == platform::MsgResult::Yes;
        KeepOption(key, yes);
        if (yes) FetchWholeRecord(id);
    });
}

void TClimateSource::FetchWholeRecord(const std::string& Id)
{
    download::TStationRequest request;
    request.Base = igraBase_;
    request.Id = Id;
    request.Period = download::TPeriod::WholeRecord;
    progress_ = platform::prompts().ShowTransfer("Downloading the whole record of " + Id + "...");
    progress_->OnCancel = [this] { fetch_->Cancel(); };
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    fetch_->OnProgress = [this, clock](std::uint64_t Done, std::optional<std::uint64_t> Total) {
        if (progress_)
            progress_->SetProgress(Total && *Total > 0 ? double(Done) / double(*Total) : -1.0,
                                   download::ProgressText(Done, Total, double(clock->elapsed()) / 1000.0));
    };
    fetch_->OnFinished = [this](const download::TFetchResult& Result) {
        progress_.reset();
        if (Result.Cancelled) return;
        if (!Result.Ok) {
            status_ = Result.Message;
            emit changed();
            return;
        }
        // The set on show may have changed meanwhile; it reads the cached
        // record when it is still this station's.
        Compute(shown_.WholeSet());
    };
    fetch_->Start(request);
}

void TClimateSource::Wait()
{
    while (!workers_.empty()) {
        for (QThread* worker : workers_) worker->wait();
        QCoreApplication::sendPostedEvents();
    }
}

}  // namespace app
