#include "app/SkewTWindow.h"

#include "app/Application.h"
#include "app/Controls.h"
#include "app/ExtrasHost.h"
#include "app/ClimateSource.h"
#include "app/ClimateWindow.h"
#include "app/ShownSet.h"
#include "app/WindowPlaces.h"
#include "chart/SkewT.h"
#include "download/StationElevations.h"
#include "movie/SkewTPicture.h"
#include "sounding/LapseRates.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace app {

namespace {

constexpr const char* kCaption = "Skew-T log-p";
// The window around the diagram: the read-out's lines and the margins.
constexpr int kExtraHeight = 58;
constexpr int kMargin = 4;

}  // namespace

TSkewTWindow::TSkewTWindow(QWidget* Parent) : QWidget(Parent, Qt::Window)
{
    setObjectName("SkewTWindow");
    Diagram = new chart::TSkewT(this);
    Diagram->setObjectName("SkewTDiagram");
    Diagram->setAccessibleName("Skew-T log-p diagram");
    Diagram->setMinimumSize(chart::SkewTMinimumWidth, chart::SkewTMinimumHeight);
    // Three lines (two, and a third for a narrow window to wrap into),
    // whatever they say: the diagram keeps its size as the mouse moves, and
    // a long line wraps rather than widening the window.
    Readout = new QLabel(this);
    Readout->setObjectName("SkewTReadout");
    Readout->setText(" ");
    Readout->setWordWrap(true);
    Readout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Readout->setFixedHeight(3 * Readout->fontMetrics().lineSpacing() + 2);
    Readout->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addWidget(Diagram, 1);
    layout->addWidget(Readout);

    ParcelMenu = new QMenu(this);
    ParcelMenu->setObjectName("SkewTParcelMenu");
    auto* group = new QActionGroup(ParcelMenu);
    const std::pair<QAction**, const char*> entries[] = {{&MixedLayerAction, "Mixed-Layer Parcel"},
                                                         {&SurfaceBasedAction, "Surface-Based Parcel"},
                                                         {&MostUnstableAction, "Most-Unstable Parcel"}};
    const sounding::TParcelKind kinds[] = {sounding::TParcelKind::MixedLayer, sounding::TParcelKind::SurfaceBased,
                                           sounding::TParcelKind::MostUnstable};
    for (int i = 0; i < 3; ++i) {
        QAction* action = ParcelMenu->addAction(entries[i].second);
        action->setCheckable(true);
        group->addAction(action);
        *entries[i].first = action;
        const sounding::TParcelKind kind = kinds[i];
        connect(action, &QAction::triggered, this, [this, kind] { Diagram->SetParcelKind(kind); });
    }
    MixedLayerAction->setChecked(true);
    ParcelMenu->addSeparator();
    BoxAction = ParcelMenu->addAction("Index Box");
    BoxAction->setObjectName("SkewTBoxAction");
    BoxAction->setCheckable(true);
    BoxAction->setChecked(true);
    connect(BoxAction, &QAction::toggled, this, [this](bool On) { Diagram->SetBoxShown(On); });
    PopupMenu = [](QMenu& Menu, QPoint Global) { Menu.popup(Global); };

    Diagram->OnHover = [this](const std::string& Text) { ShowReadout(Text); };
    Diagram->OnContextMenu = [this](QPoint Global) {
        if (PopupMenu) PopupMenu(*ParcelMenu, Global);
    };
    setWindowTitle(kCaption);
    resize(chart::SkewTWidth + 2 * kMargin, chart::SkewTHeight + kExtraHeight);
}

void TSkewTWindow::ShowSounding(const std::string& PageName, const TSounding* Sounding)
{
    const std::string caption = LaunchCaption(kCaption, PageName, Sounding ? Sounding->Title : std::string());
    if (windowTitle().toLocal8Bit().toStdString() != caption) setWindowTitle(QString::fromLocal8Bit(caption.c_str()));
    Diagram->SetSouthern(Sounding && download::SouthOfEquator(*Sounding));
    Diagram->ShowSounding(Sounding, PageName.empty() ? "No page is open" : "No sounding to show");
}

void TSkewTWindow::ShowReadout(const std::string& Text)
{
    const std::string& shown = Text.empty() ? note_ : Text;
    Readout->setText(shown.empty() ? QString(" ") : QString::fromLocal8Bit(shown.c_str()));
}

void TSkewTWindow::SetNote(const std::string& Note)
{
    note_ = Note;
    ShowReadout("");
}

void TSkewTWindow::keyPressEvent(QKeyEvent* Event)
{
    int step = 0;
    switch (Event->key()) {
    case Qt::Key_Left:
    case Qt::Key_PageUp:
        step = -1;
        break;
    case Qt::Key_Right:
    case Qt::Key_PageDown:
        step = 1;
        break;
    default:
        QWidget::keyPressEvent(Event);
        return;
    }
    if (OnStep) OnStep(step);
}

void TSkewTWindow::closeEvent(QCloseEvent* Event)
{
    QWidget::closeEvent(Event);
    if (OnClosed) OnClosed();
}

void TSkewTWindow::PlaceBeside(const QWidget& Main) { PlaceBesideMain(*this, Main, size(), TSideOrder::RightFirst); }

bool TSkewTWindow::PlaceFromSettings(const settings::TProgramSettings& Settings)
{
    const settings::TProgramSettings::TPlace place = Settings.SkewTPlace();
    if (place.Width < 100 || place.Height < 100) return false;
    QRect frame(place.Left, place.Top, place.Width, place.Height);
    if (const QScreen* s = screen()) {
        const QRect available = s->availableGeometry();
        frame.setSize(frame.size().boundedTo(available.size()));
        frame = FitOnScreen(frame, available);
    }
    resize(frame.size());
    move(frame.topLeft());
    return true;
}

// ---------------------------------------------------------------- link

TSkewTLink::TSkewTLink(IExtrasHost& Host, QMenu& Menu, TClimateSource* Source) : TFollower(Host), source_(Source)
{
    setObjectName("SkewTLink");
    Action = Menu.addAction("Skew-T log-p...");
    Action->setObjectName("SkewTAction");
    connect(Action, &QAction::triggered, this, [this] { RunHandler([this] { ShowWindow(); }); });
    if (source_) connect(source_, &TClimateSource::changed, this, [this] { FrameChanged(); });
}

TSkewTLink::~TSkewTLink() { delete window_.data(); }

void TSkewTLink::ShowWindow()
{
    if (!window_) {
        window_ = new TSkewTWindow(&host_.HostWindow());
        const settings::TProgramSettings* ini = host_.HostChartSettings();
        if (ini) window_->SetNote(movie::ApplySkewTSettingsOrDefault(*ini, host_.HostChart(), *window_->Diagram));
        // Where the user left it; else as the settings say; else beside.
        if (!RestorePlace(*window_) && (!ini || !window_->PlaceFromSettings(*ini)))
            window_->PlaceBeside(host_.HostWindow());
        KeepPlaceOnClose(*window_);
        window_->OnStep = [this](int Step) {
            const TLapseRates* rates = shown_.Movie();
            if (!rates || rates->Count() < 1) return;
            shown_.AskFrame(std::clamp(shown_.Frame() + Step, 0, rates->Count() - 1));
        };
    }
    // A closed window missed the frames shown meanwhile.
    if (!window_->isVisible()) ShowFrame();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void TSkewTLink::FrameChanged()
{
    if (window_ && window_->isVisible()) ShowFrame();
}

void TSkewTLink::ShowFrame()
{
    const TSounding* sounding = shown_.SoundingAt(shown_.Frame());
    window_->ShowSounding(shown_.CaptionName(), sounding);
    const sounding::TClimatology* climate = source_ ? source_->Climatology() : nullptr;
    if (climate && sounding && climate->Years() >= kClimateMinYears)
        window_->Diagram->SetClimateBands(PressureBand(*climate, *sounding, sounding::TProfileQuantity::Temperature),
                                          PressureBand(*climate, *sounding, sounding::TProfileQuantity::DewPoint));
    else if (window_->Diagram->ClimateBandsShown())
        window_->Diagram->SetClimateBands({}, {});
}

void TSkewTLink::MainClosing()
{
    if (window_ && window_->isVisible()) window_->close();
}

}  // namespace app
