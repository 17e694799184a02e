#pragma once
// The window's pictures written out: the frame on show as a PNG file, and
// the whole page as an animated GIF that shows each sounding as the window
// shows it (the series shown, their colours, the lines as the scroll bars
// moved them, the trail), in page order.

#include "app/Trail.h"
#include "chart/Chart.h"
#include "movie/SoundingChart.h"
#include "sounding/LapseRates.h"
#include "movie/MovieExport.h"

#include <QImage>
#include <QSize>

#include <memory>
#include <string>

// The chart as it is shown now, as PNG file contents.
std::string EncodeShownFrame(TChart& Chart);

// Draws frames of the window's movie on a hidden copy of the window's chart
// and of its page, so the window itself is not touched while it goes on
// playing.
class TWindowMovie {
public:
    // Shown: the window's chart; Rates: its page; Trail: whether the window
    // shows the trail now.
    TWindowMovie(TChart& Shown, const TLapseRates& Rates, bool Trail);

    int FrameCount() const { return rates_.Count(); }
    QSize Size() const { return chart_.size(); }
    // Frame K as the window shows it after its track bar moved to K.
    QImage Frame(int K);

private:
    TChart chart_;
    TLapseRates rates_;
    TFrameRenderer renderer_;
    TTrail trail_;
    bool trailShown_;
};

// All frames as one animated GIF, DelayMs milliseconds each (in hundredths
// of a second, rounded, at least 20 ms), looping forever. Progress is told
// after every frame; when it answers false, EExportCancelled.
std::string EncodeWindowMovie(TWindowMovie& Movie, int DelayMs, const TExportProgress& Progress = {});
