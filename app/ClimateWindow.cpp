#include "app/ClimateWindow.h"

#include "app/ClimateSource.h"
#include "app/ExtrasHost.h"
#include "app/ShownSet.h"
#include "app/WindowPlaces.h"
#include "chart/Chart.h"
#include "chart/ClimatePlot.h"
#include "sounding/Heights.h"
#include "sounding/LapseRates.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace app {

namespace {

constexpr const char* kCaption = "Station Climatology";

std::string ValueTitle(const sounding::TClimateChoice& C)
{
    return C.Label + (C.Unit.empty() ? "" : " (" + C.Unit + ")");
}

std::string Thousands(double V)
{
    std::string s = std::to_string(std::lround(V));
    for (int i = int(s.size()) - 3; i > (s[0] == '-' ? 1 : 0); i -= 3) s.insert(std::size_t(i), ",");
    return s;
}

// The bands of Choice across the year for Group (at Height for a profile value).
void FillBands(TClimateYear& Year, const sounding::TClimatology& Climate, const sounding::TClimateChoice& Choice,
               int Group, double Height)
{
    for (int d = 1; d <= sounding::kClimateDays; ++d) {
        const sounding::TClimateCell c = sounding::ChoiceCell(Climate, Choice, Group, d, Height);
        const auto v = [&c](float P) { return c.Valid() ? double(P) : std::nan(""); };
        Year.P10.push_back(v(c.P10()));
        Year.P25.push_back(v(c.P25()));
        Year.P50.push_back(v(c.Median()));
        Year.P75.push_back(v(c.P75()));
        Year.P90.push_back(v(c.P90()));
    }
}

}  // namespace

TClimateWindow::TClimateWindow(QWidget* Parent) : QWidget(Parent, Qt::Window)
{
    setObjectName("ClimateWindow");
    Quantity = new QComboBox(this);
    Quantity->setObjectName("ClimateQuantity");
    Quantity->setAccessibleName("Quantity");
    for (const sounding::TClimateChoice& c : sounding::ClimateChoices())
        Quantity->addItem(QString::fromLocal8Bit(c.Label.c_str()));
    Quantity->setMaxVisibleItems(20);
    Plot = new TClimatePlot(this);
    Plot->setObjectName("ClimatePlot");
    Plot->setAccessibleName("Climatology across the year");
    Sentence = new QLabel(this);
    Sentence->setObjectName("ClimateSentence");
    Sentence->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Span = new QLabel(this);
    Span->setObjectName("ClimateSpan");
    Span->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Quantity);
    layout->addWidget(Plot, 1);
    layout->addWidget(Sentence);
    layout->addWidget(Span);
    setWindowTitle(kCaption);
    Plot->setMinimumSize(480, 280);
    resize(760, 460);
    connect(Quantity, &QComboBox::currentIndexChanged, this, [this] {
        if (OnChoice) OnChoice();
    });
}

const sounding::TClimateChoice& TClimateWindow::Choice() const
{
    const auto& choices = sounding::ClimateChoices();
    const int i = Quantity->currentIndex();
    return choices[std::size_t(i >= 0 && i < int(choices.size()) ? i : 0)];
}

void TClimateWindow::CollectDots(const std::vector<TSounding>& Record, const TSounding& Current,
                                 std::vector<double>& Days, std::vector<double>& Values, double& Height)
{
    const int year = Current.Launch.Year, group = sounding::LaunchGroup(Current.Launch);
    const int choice = Quantity->currentIndex();
    if (dotsRecord_ != &Record || dotsCount_ != Record.size() || dotsYear_ != year || dotsGroup_ != group ||
        dotsChoice_ != choice) {
        dotsRecord_ = &Record, dotsCount_ = Record.size(), dotsYear_ = year, dotsGroup_ = group, dotsChoice_ = choice;
        dotDays_.clear(), dotValues_.clear(), dotHeights_.clear();
        for (const TSounding& s : Record) {
            if (!s.Launch.Known() || s.Launch.Year != year || sounding::LaunchGroup(s.Launch) != group) continue;
            if (const auto v = sounding::LaunchValueOf(s, Choice())) {
                dotDays_.push_back(sounding::ClimateDay(s.Launch));
                dotValues_.push_back(v->Value);
                dotHeights_.push_back(v->Height);
            }
        }
    }
    Days = dotDays_;
    Values = dotValues_;
    if (!dotHeights_.empty()) Height = dotHeights_.front();
}

void TClimateWindow::Show(const sounding::TClimatology* Climate, const std::string& Status,
                          const std::vector<TSounding>& Record, const TSounding* Current, const std::string& Name)
{
    const std::string caption = LaunchCaption(kCaption, Name, Current ? Current->Title : std::string());
    if (windowTitle().toLocal8Bit().toStdString() != caption) setWindowTitle(QString::fromLocal8Bit(caption.c_str()));
    const sounding::TClimateChoice& choice = Choice();
    TClimateYear year;
    year.ValueTitle = ValueTitle(choice);
    year.CurrentValue = std::nan("");
    double height = 0;
    if (Current && Current->Launch.Known()) {
        CollectDots(Record, *Current, year.DotDay, year.DotValue, height);
        if (const auto v = sounding::LaunchValueOf(*Current, choice)) {
            year.CurrentDay = sounding::ClimateDay(Current->Launch);
            year.CurrentValue = v->Value;
            height = v->Height;
        }
    }
    const int group = Current ? sounding::LaunchGroup(Current->Launch) : -1;
    std::string span;
    if (!Climate) {
        year.Notice = span = Status.empty() ? std::string("No climatology") : Status;
    } else {
        span = sounding::ClimateSpanText(*Climate);
        if (Climate->Years() < kClimateMinYears)
            year.Notice = "The climatology spans only " + std::to_string(Climate->Years()) + " years, fewer than " +
                          std::to_string(kClimateMinYears) + ": no bands are drawn.";
        else if (group < 0)
            year.Notice = "This launch has no launch hour to compare it with its group.";
        else
            FillBands(year, *Climate, choice, group, height);
        if (group >= 0) {
            const std::string hour = group == 0 ? "00Z" : "12Z";
            span += "; bands of the " + hour + " group (" + Thousands(Climate->GroupLaunches(group)) + " launches)";
        }
        if (choice.Column < 0 && year.Notice.empty())
            span += "; at " + Thousands(height) + " m, the height of " + std::to_string(int(choice.Pressure)) +
                    " hPa in " + (std::isfinite(year.CurrentValue) ? "this launch" : "the year's first launch");
    }
    Span->setText(QString::fromLocal8Bit(span.c_str()));
    std::string sentence = "No sounding";
    if (Current && Climate && Climate->Years() >= kClimateMinYears)
        sentence = sounding::ClimateSentence(*Climate, choice, *Current);
    else if (Current)
        sentence = Current->Title + ": no climatology to compare with";
    Sentence->setText(QString::fromLocal8Bit(sentence.c_str()));
    Plot->SetYear(year);
}

TClimateLink::TClimateLink(IExtrasHost& Host, TClimateSource& Source) : TFollower(Host), source_(Source)
{
    connect(&source_, &TClimateSource::changed, this, [this] { FrameChanged(); });
}

TClimateLink::~TClimateLink() = default;

void TClimateLink::ShowWindow()
{
    if (!window_) {
        window_ = std::make_unique<TClimateWindow>(&host_.HostWindow());
        window_->OnChoice = [this] { ShowFrame(); };
        if (!RestorePlace(*window_))
            PlaceBesideMain(*window_, host_.HostWindow(), QSize(760, 460), TSideOrder::BelowFirst);
        KeepPlaceOnClose(*window_);
    }
    ShowFrame();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void TClimateLink::FrameChanged()
{
    if (window_ && window_->isVisible()) ShowFrame();
}

void TClimateLink::ShowFrame()
{
    window_->Show(source_.Climatology(), source_.Status(), shown_.WholeSet(), shown_.SoundingAt(shown_.Frame()),
                  shown_.CaptionName());
}

void TClimateLink::MainClosing()
{
    if (window_) window_->close();
}

TClimateBand TemperatureBand(const sounding::TClimatology& Climate, const TSounding& Sounding)
{
    TClimateBand band;
    const int group = sounding::LaunchGroup(Sounding.Launch), day = sounding::ClimateDay(Sounding.Launch);
    if (group < 0 || day < 1) return band;
    for (int h = 0; h < sounding::kClimateHeights; ++h) {
        const sounding::TClimateCell c = Climate.Profile(group, sounding::TProfileQuantity::Temperature, day, h);
        if (c.Valid()) band.Add(sounding::ClimateHeight(h), c.P10(), c.P25(), c.Median(), c.P75(), c.P90());
    }
    return band;
}

TClimateBand PressureBand(const sounding::TClimatology& Climate, const TSounding& Sounding,
                          sounding::TProfileQuantity Quantity)
{
    TClimateBand band;
    const int group = sounding::LaunchGroup(Sounding.Launch), day = sounding::ClimateDay(Sounding.Launch);
    if (group < 0 || day < 1) return band;
    std::vector<std::pair<double, double>> levels;  // pressure, height
    for (const TSoundingLevel& l : Sounding.Levels) {
        const double z = sounding::LevelHeight(l);
        if (l.Pressure != MissingValue && l.Pressure > 0 && z != MissingValue) levels.emplace_back(l.Pressure, z);
    }
    std::sort(levels.begin(), levels.end(), [](const auto& A, const auto& B) { return A.first > B.first; });
    for (const auto& [p, z] : levels) {
        if (!band.Height.empty() && p >= band.Height.back()) continue;
        const sounding::TClimateCell c = Climate.ProfileAt(group, Quantity, day, z);
        if (c.Valid()) band.Add(p, c.P10(), c.P25(), c.Median(), c.P75(), c.P90());
    }
    return band;
}

TClimateBandLink::TClimateBandLink(IExtrasHost& Host, TClimateSource& Source, std::function<bool()> Shown)
    : TFollower(Host), source_(Source), wanted_(std::move(Shown))
{
    connect(&source_, &TClimateSource::changed, this, [this] { Update(); });
}

void TClimateBandLink::Update()
{
    const TSounding* sounding = shown_.SoundingAt(shown_.Frame());
    const sounding::TClimatology* climate = source_.Climatology();
    const bool wanted = wanted_ && wanted_();
    TChart& chart = host_.HostChart();
    if (wanted && climate && sounding && climate->Years() >= kClimateMinYears)
        chart.SetClimateBand(TemperatureBand(*climate, *sounding));
    else if (chart.ClimateBandShown())
        chart.SetClimateBand(TClimateBand{});
}

}  // namespace app
