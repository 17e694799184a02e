#include "app/WindowMovie.h"

#include "chart/Series.h"
#include "movie/GifMovie.h"

std::string EncodeShownFrame(TChart& Chart) { return EncodePng(Chart.RenderToImage(Chart.size())); }

TWindowMovie::TWindowMovie(TChart& Shown, const TLapseRates& Rates, bool Trail)
    : rates_(Rates), renderer_(chart_, rates_), trail_(chart_), trailShown_(Trail)
{
    // The copy must not pump the window's messages as a load would.
    rates_.ProcessMessages = nullptr;
    chart_.resize(Shown.size());
    CopyChart(Shown, chart_);
    // The trail's series follow the window's own series, if it has them.
    if (chart_.SeriesCount() >= SlotCount + TrailLength) trail_.Adopt(SlotCount);
}

QImage TWindowMovie::Frame(int K)
{
    renderer_.ShowFrame(K);
    trail_.Update(&rates_, trailShown_);
    return chart_.RenderToImage(chart_.size());
}

std::string EncodeWindowMovie(TWindowMovie& Movie, int DelayMs, const TExportProgress& Progress)
{
    const int total = Movie.FrameCount();
    if (total < 1) throw EExportError("There are no soundings to export");
    TGifMovie gif(Movie.Size(), GifDelayCentiseconds(DelayMs));
    for (int k = 0; k < total; ++k) {
        gif.AddFrame(Movie.Frame(k));
        if (Progress && !Progress(k + 1, total)) throw EExportCancelled();
    }
    return gif.Finish();
}
