#pragma once
// The station climatology the windows compare the launches with: computed
// from the whole set on show when its launches span at least 5 years, else,
// for one IGRA station whose whole record lies in the download cache, from
// that record (kept beside it); on a worker thread (the window goes on
// playing meanwhile). The windows are told when it is ready or gone.

#include "analysis/Climatology.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

class QThread;

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
    // Waits until the worker is done and its result is taken (for tests and
    // the exporter-like uses that cannot go on without it).
    void Wait();

signals:
    void changed();

private:
    void Finished(int Generation, std::shared_ptr<const sounding::TClimatology> Climate);

    TShownSet& shown_;
    std::shared_ptr<const sounding::TClimatology> climate_;
    std::string status_;
    std::vector<QThread*> workers_;  // at work, the newest last
    int generation_ = 0;
    std::string print_;  // the record last computed from, in short
};

// The cached whole record of the one IGRA station Soundings come from; ""
// when they come from several, from none, or the record is not cached.
std::string CachedWholeRecord(const std::vector<TSounding>& Soundings);
// Distinct years among the launches that know their date.
int YearsSpanned(const std::vector<TSounding>& Soundings);
// What a record too short for a climatology says: "The launches on show
// span 3 years (2014-2016); a climatology needs at least 5."
std::string TooFewYearsText(const std::vector<TSounding>& Soundings);

}  // namespace app
