#pragma once
// The station climatology the windows compare the launches with: computed
// from the whole set on show when its launches span at least 5 years, else,
// for one IGRA station whose whole record lies in the download cache, from
// that record (kept beside it); on a worker thread (the window goes on
// playing meanwhile). The windows are told when it is ready or gone.

#include "analysis/Climatology.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QThread;

namespace download {
class TStationFetch;
class TSizeProbe;
}  // namespace download
namespace platform {
class TransferProgress;
}

namespace app {

class TShownSet;

// The fewest years of launches a climatology is computed from.
inline constexpr int kClimateMinYears = 5;

class TClimateSource : public QObject {
    Q_OBJECT

public:
    // Follows the set Shown shows: each new page starts a new climatology.
    explicit TClimateSource(TShownSet& Shown);
    ~TClimateSource() override;

    // The climatology; null while none is computed (too short a record, or
    // still at work).
    const sounding::TClimatology* Climatology() const { return climate_.get(); }
    std::shared_ptr<const sounding::TClimatology> Shared() const { return climate_; }
    // Why there is none, or that it is being computed; "" when there is one.
    const std::string& Status() const { return status_; }
    bool Busy() const { return !workers_.empty(); }

    // Starts over with Soundings (the whole record on show).
    void Compute(const std::vector<TSounding>& Soundings);
    // Uses a climatology computed elsewhere (a station's cached one).
    void SetClimatology(std::shared_ptr<const sounding::TClimatology> Climate);
    // The user asks for the climatology (opens its window, shows its band):
    // for one IGRA station whose launches on show span too few years and
    // whose whole record is not in the cache, asks once whether to download
    // that record (the answer kept per station in the window state file); on
    // yes, downloads it in the background and computes the climatology of it.
    void Want();
    // Learning the record's size, asking, or downloading it.
    bool Downloading() const;
    // The archive the whole record comes from (the settings' [Sources] IGRA).
    void SetIgraBase(std::string Base) { igraBase_ = std::move(Base); }
    // Waits until the worker is done and its result is taken (for tests and
    // the exporter-like uses that cannot go on without it).
    void Wait();

signals:
    void changed();

private:
    void FetchWholeRecord(const std::string& Id);
    void Finished(int Generation, std::shared_ptr<const sounding::TClimatology> Climate);

    TShownSet& shown_;
    std::shared_ptr<const sounding::TClimatology> climate_;
    std::string status_;
    std::vector<QThread*> workers_;  // at work, the newest last
    int generation_ = 0;
    std::string print_;  // the record last computed from, in short
    std::string igraBase_;
    std::unique_ptr<download::TStationFetch> fetch_;
    std::unique_ptr<download::TSizeProbe> probe_;
    std::unique_ptr<platform::TransferProgress> progress_;
};

// The IGRA id of the one station Soundings come from; "" otherwise.
std::string OneStationId(const std::vector<TSounding>& Soundings);
// The question asked before a station's whole record is downloaded for its
// climatology; Size in bytes, nothing when unknown.
std::string WholeRecordQuestion(const std::string& Station, std::optional<std::uint64_t> Size);

// The cached whole record of the one IGRA station Soundings come from; ""
// when they come from several, from none, or the record is not cached.
std::string CachedWholeRecord(const std::vector<TSounding>& Soundings);
// Distinct years among the launches that know their date.
int YearsSpanned(const std::vector<TSounding>& Soundings);
// What a record too short for a climatology says: "The launches on show
// span 3 years (2014-2016); a climatology needs at least 5."
std::string TooFewYearsText(const std::vector<TSounding>& Soundings);

}  // namespace app
