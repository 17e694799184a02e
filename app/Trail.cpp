#include "app/Trail.h"

#include "app/ExtrasHost.h"
#include "app/ShownSet.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "sounding/LapseRates.h"

TColor TrailTint(TColor Temperature, int Step)
{
    const QColor c = ToQColor(Temperature);
    auto blend = [Step](int v) { return v + (255 - v) * Step / (TrailLength + 1); };
    return FromQColor(QColor(blend(c.red()), blend(c.green()), blend(c.blue())));
}

std::string TrailTitle(int Step)
{
    return "Temperature, " + std::to_string(Step) + (Step == 1 ? " frame before" : " frames before");
}

void PlaceBehindOtherSeries(TChart& Chart, TLineSeries& Series)
{
    // The trail stays behind the other series, whatever their order in the
    // list.
    Chart.PlaceBehindOtherSeries(Series);
}

TLineSeries* TTrail::Series(int Step) const
{
    if (Step < 1 || Step > int(series_.size())) return nullptr;
    return series_[size_t(Step - 1)];
}

void TTrail::Create()
{
    for (int step = 1; step <= TrailLength; ++step) {
        TLineSeries* s = chart_.AddLineSeries();
        s->setObjectName(QString("Trail%1").arg(step));
        s->SetTitle(TrailTitle(step));
        s->SetActive(false);
        s->SetPointerVisible(false);
        s->SetMarksVisible(false);
        s->SetXOrder(TChartXOrder::None);
        PlaceBehindOtherSeries(chart_, *s);
        series_.push_back(s);
    }
}

void TTrail::Adopt(int FirstSlot)
{
    series_.clear();
    for (int step = 1; step <= TrailLength; ++step) {
        TLineSeries* s = chart_.Series(FirstSlot + step - 1);
        if (!s) {
            series_.clear();
            return;
        }
        PlaceBehindOtherSeries(chart_, *s);
        series_.push_back(s);
    }
}

void TTrail::Update(const TLapseRates* Rates, bool Shown)
{
    if (!Shown) {
        for (TLineSeries* s : series_) s->SetActive(false);
        return;
    }
    if (!Created()) Create();
    const TLineSeries* temperature = chart_.Series(0);
    const TColor colour = temperature ? temperature->Color() : clRed;
    const int count = Rates ? Rates->Count() : 0;
    const int current = Rates ? Rates->Current : -1;
    for (int step = 1; step <= TrailLength; ++step) {
        TLineSeries* s = series_[size_t(step - 1)];
        const int frame = current - step;
        // Only while a real sounding is current: after a load that left
        // fewer soundings, Current may name none.
        if (current >= 0 && current < count && frame >= 0) {
            Rates->Soundings[size_t(frame)].PlotTemperature(*s);
            s->SetColor(TrailTint(colour, step));
            s->SetActive(true);
        } else {
            s->Clear();
            s->SetActive(false);
        }
    }
}

namespace app {

TTrailLink::TTrailLink(IExtrasHost& Host, std::function<bool()> Shown)
    : TFollower(Host), trail_(Host.HostChart()), shownNow_(std::move(Shown))
{
}

void TTrailLink::Update() { trail_.Update(shown_.Movie(), shownNow_ && shownNow_()); }

}  // namespace app
