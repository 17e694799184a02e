#include "app/WindowExtras.h"

#include "app/Application.h"
#include "app/PointReadout.h"
#include "app/SkewTWindow.h"
#include "app/StationOpener.h"
#include "app/WindowMovie.h"
#include "app/IndicesWindow.h"
#include "app/YearWindow.h"
#include "chart/Chart.h"
#include "components/jtINI_File.h"
#include "platform/LocalNames.h"
#include "platform/OutputTarget.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "sounding/LapseRates.h"
#include "movie/MovieExport.h"
#include "movie/SectionPicture.h"

#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolTip>
#include <QUrl>

#include <cctype>
#include <filesystem>

namespace {

using app::Q;


using platform::DirectoryOf;
using platform::NameOf;

}  // namespace

TWindowExtras::TWindowExtras(IExtrasHost& Host) : host_(Host), trail_(Host.HostChart())
{
    setObjectName("WindowExtras");
    PopupMenu = [](QMenu& Menu, QPoint Global) { Menu.popup(Global); };
    CreateMenu();
    SetAccessibleNames();

    host_.HostWindow().setAcceptDrops(true);
    host_.HostWindow().installEventFilter(this);

    host_.HostChart().OnMouseMove = [this](QMouseEvent* E) { MouseMoved(E); };
}

TWindowExtras::~TWindowExtras()
{
    year_.reset();
    Stations.reset();
    host_.HostWindow().removeEventFilter(this);
    host_.HostChart().OnMouseMove = nullptr;
    host_.HostChart().OnContextMenu = nullptr;
}

// ---------------------------------------------------------------- menu

void TWindowExtras::CreateMenu()
{
    ChartMenu = new QMenu(&host_.HostChart());
    ChartMenu->setObjectName("ChartMenu");
    SaveFrameAction = ChartMenu->addAction("Save Frame as PNG...");
    ExportMovieAction = ChartMenu->addAction("Export Movie as GIF...");
    ChartMenu->addSeparator();
    ShowTrailAction = ChartMenu->addAction("Show Trail");
    ShowTrailAction->setCheckable(true);
    ShowTrailAction->setChecked(false);
    ChartMenu->addSeparator();
    YearAction = ChartMenu->addAction("Year at a Glance...");
    skewT_ = new app::TSkewTLink(host_, *ChartMenu);
    IndicesAction = ChartMenu->addAction("Launch Indices...");
    IndicesAction->setObjectName("IndicesAction");
    StationAction = ChartMenu->addAction("Open Station...");
    StationAction->setObjectName("StationAction");
    StationAction->setShortcut(QKeySequence("Ctrl+Shift+O"));
    host_.HostWindow().addAction(StationAction);
    Stations = std::make_unique<app::TStationOpener>(host_);
    connect(StationAction, &QAction::triggered, this, [this] { app::RunHandler([this] { Stations->Show(); }); });

    connect(SaveFrameAction, &QAction::triggered, this, [this] { app::RunHandler([this] { SaveFrameAsPng(); }); });
    connect(ExportMovieAction, &QAction::triggered, this,
            [this] { app::RunHandler([this] { ExportMovieAsGif(); }); });
    connect(YearAction, &QAction::triggered, this, [this] { app::RunHandler([this] { ShowYearWindow(); }); });
    connect(IndicesAction, &QAction::triggered, this, [this] { app::RunHandler([this] { ShowIndicesWindow(); }); });
    connect(ShowTrailAction, &QAction::toggled, this, [this] { app::RunHandler([this] { FrameChanged(); }); });

    host_.HostChart().OnContextMenu = [this](QPoint Global) { ShowMenu(Global); };
}

void TWindowExtras::ShowMenu(QPoint Global)
{
    ExportMovieAction->setEnabled(host_.HostSoundings() && host_.HostSoundings()->Count() > 0);
    if (PopupMenu) PopupMenu(*ChartMenu, Global);
}

std::string TWindowExtras::PageBaseName() const
{
    std::string name = host_.HostPageFileName();
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string TWindowExtras::AskTarget(const std::string& Title, const std::string& Filter,
                                     const std::string& Extension, const std::string& Suggested)
{
    platform::FileDialogSetup setup;
    setup.Title = Title;
    setup.InitialDir = lastDirectory_;
    setup.FileName = Suggested;
    setup.Filter = Filter;
    setup.FileMustExist = false;
    std::string chosen;
    if (!platform::prompts().SaveFileDialog(setup, chosen) || chosen.empty()) return "";
    // A name typed without an extension gets the one of the chosen kind.
    if (NameOf(chosen).find('.') == std::string::npos) chosen += Extension;
    lastDirectory_ = DirectoryOf(chosen);
    std::string refused = platform::RefusedOutput(chosen, host_.HostInputFiles());
    if (!refused.empty()) {
        refused[0] = char(std::toupper(static_cast<unsigned char>(refused[0])));
        platform::prompts().MessageBox(refused + ".", app::ProgramTitle(), platform::MsgButtons::OK,
                                       platform::MsgIcon::Error);
        return "";
    }
    // The save dialog does not ask; a picture must not silently take the
    // place of a file the user has.
    if (platform::files().FileExists(chosen)) {
        const platform::MsgResult answer =
            platform::prompts().MessageBox(chosen + " already exists.\nDo you want to replace it?",
                                           app::ProgramTitle(), platform::MsgButtons::YesNoCancel,
                                           platform::MsgIcon::Question);
        if (answer != platform::MsgResult::Yes) return "";
    }
    return chosen;
}

void TWindowExtras::SaveFrameAsPng()
{
    const std::string base = PageBaseName();
    const std::string frame = FrameFileName(host_.HostFramePosition());
    const std::string target = AskTarget("Save Frame as PNG", "PNG images (*.png)|*.png|All files (*.*)|*.*",
                                         ".png", base.empty() ? frame : base + " " + frame);
    if (target.empty()) return;
    WriteFileReplacing(target, EncodeShownFrame(host_.HostChart()));
}

void TWindowExtras::ExportMovieAsGif()
{
    const TLapseRates* rates = host_.HostSoundings();
    if (!rates || rates->Count() < 1)
        throw EExportError("There are no soundings to export");
    const std::string base = PageBaseName();
    const std::string target = AskTarget("Export Movie as GIF", "GIF images (*.gif)|*.gif|All files (*.*)|*.*",
                                         ".gif", (base.empty() ? std::string("movie") : base) + ".gif");
    if (target.empty()) return;

    // The movie is drawn on copies, so the window may go on playing while
    // the progress window lets its messages through.
    TWindowMovie movie(host_.HostChart(), *rates, TrailShown());
    const int delayMs = host_.HostFrameIntervalMs();
    std::string bytes;
    {
        std::unique_ptr<platform::Progress> progress =
            platform::prompts().ShowProgress("Exporting " + NameOf(target) + "...", movie.FrameCount());
        try {
            bytes = EncodeWindowMovie(movie, delayMs, [&progress](int Done, int) {
                progress->SetValue(Done);
                return !progress->Cancelled();
            });
        } catch (const EExportCancelled&) {
            return;  // nothing has been written
        }
    }
    WriteFileReplacing(target, bytes);
}

// ---------------------------------------------------------------- trail

bool TWindowExtras::TrailShown() const { return ShowTrailAction->isChecked(); }

void TWindowExtras::FrameChanged()
{
    trail_.Update(host_.HostSoundings(), TrailShown());
    if (year_ && year_->isVisible()) year_->ShowSounding(host_.HostFramePosition());
    skewT_->FrameChanged();
    if (indices_ && indices_->isVisible()) ShowFrameInIndicesWindow();
}

// ---------------------------------------------------------------- year window

void TWindowExtras::ShowYearWindow()
{
    if (!year_) {
        year_ = std::make_unique<TYearWindow>(&host_.HostWindow());
        year_->OnSoundingClick = [this](int Sounding) { host_.HostShowFrame(Sounding); };
        year_->PlaceBeside(host_.HostWindow());
    }
    // A closed window missed the pages read meanwhile.
    if (!year_->isVisible()) ShowPageInYearWindow();
    year_->show();
    year_->raise();
    year_->activateWindow();
}

void TWindowExtras::PageChanged()
{
    if (year_ && year_->isVisible()) ShowPageInYearWindow();
    skewT_->PageChanged();
    if (indices_ && indices_->isVisible()) ShowFrameInIndicesWindow();
}

// ---------------------------------------------------------------- indices window

void TWindowExtras::ShowIndicesWindow()
{
    if (!indices_) {
        indices_ = std::make_unique<app::TIndicesWindow>(&host_.HostWindow());
        indices_->PlaceBeside(host_.HostWindow());
    }
    ShowFrameInIndicesWindow();
    indices_->show();
    indices_->raise();
    indices_->activateWindow();
}

void TWindowExtras::ShowFrameInIndicesWindow()
{
    const TLapseRates* rates = host_.HostSoundings();
    const int frame = host_.HostFramePosition();
    const bool valid = rates && frame >= 0 && std::size_t(frame) < rates->Soundings.size();
    indices_->ShowSounding(valid ? &rates->Soundings[std::size_t(frame)] : nullptr);
}

void TWindowExtras::ShowPageInYearWindow()
{
    static const std::vector<TSounding> kNoSoundings;
    const TLapseRates* rates = host_.HostSoundings();
    const std::vector<TSounding>& soundings = rates ? rates->Soundings : kNoSoundings;
    year_->ShowPage(host_.HostShownName(), soundings, host_.HostSectionHeightMax());
    year_->ShowSounding(soundings.empty() ? -1 : host_.HostFramePosition());
}

// ---------------------------------------------------------------- read-out

std::string TWindowExtras::ReadoutAt(QPoint Pos) const { return ::ReadoutAt(host_.HostChart(), QPointF(Pos)); }

void TWindowExtras::MouseMoved(QMouseEvent* Event)
{
    const std::string text = ReadoutAt(Event->position().toPoint());
    if (text.empty()) QToolTip::hideText();
    else QToolTip::showText(Event->globalPosition().toPoint(), Q(text), host_.HostChart().MouseSurface());
}

// ---------------------------------------------------------------- accessibility

void TWindowExtras::SetAccessibleNames()
{
    for (const auto& [control, name] : host_.HostUncaptionedControls())
        if (control) control->setAccessibleName(Q(name));
}

// ---------------------------------------------------------------- pages from outside

std::string TWindowExtras::DroppedPage(const QMimeData* Data)
{
    if (!Data || !Data->hasUrls() || Data->urls().isEmpty()) return "";
    // The list as it came holds the name's own bytes; the toolkit's URLs
    // hold text, which a name need not be.
    const QByteArray list = Data->data("text/uri-list");
    std::string path = platform::FirstLocalPathOfUriList(std::string_view(list.constData(), std::size_t(list.size())));
    if (path.empty()) {
        const QUrl url = Data->urls().first();
        if (!url.isLocalFile()) return "";
        path = url.toLocalFile().toLocal8Bit().toStdString();
    }
    path = platform::ExistingLocalName(path);
    // A folder or a vanished file is not offered as a page.
    return platform::files().FileExists(path) ? path : std::string();
}

std::string TWindowExtras::PageArgument(const std::vector<std::string>& Args)
{
    if (Args.empty()) return "";
    const std::string& first = Args.front();
    // The settings component reads the switches and their values; a page
    // can only come before them.
    if (first.empty() || !TjtINI_File::SwitchTexts({first}).empty()) return "";
    if (first.find('/') != std::string::npos || platform::files().FileExists(first)) {
        std::error_code failure;
        const std::filesystem::path full = std::filesystem::absolute(first, failure);
        if (!failure) return full.lexically_normal().string();
    }
    return first;
}

std::vector<std::string> TWindowExtras::PageArguments(const std::vector<std::string>& Args)
{
    std::vector<std::string> files;
    for (std::size_t i = 0; i < Args.size(); ++i) {
        const std::string file = PageArgument(std::vector<std::string>(Args.begin() + std::ptrdiff_t(i), Args.end()));
        if (file.empty()) break;
        files.push_back(file);
    }
    return files;
}

std::vector<std::string> TWindowExtras::DroppedFiles(const QMimeData* Data)
{
    std::vector<std::string> files;
    if (!Data || !Data->hasUrls()) return files;
    for (const QUrl& url : Data->urls()) {
        if (!url.isLocalFile()) continue;
        const std::string path = url.toLocalFile().toLocal8Bit().toStdString();
        if (platform::files().FileExists(path)) files.push_back(path);
    }
    return files;
}

bool TWindowExtras::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched != &host_.HostWindow()) return false;
    switch (Event->type()) {
    case QEvent::Close:
        // The year window belongs to the main window and goes with it.
        if (year_ && Event->isAccepted()) year_->close();
        if (Event->isAccepted()) skewT_->MainClosing();
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(Event);
        if (DroppedPage(e->mimeData()).empty()) e->ignore();
        else e->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(Event);
        const std::string page = DroppedPage(e->mimeData());
        if (page.empty()) {
            e->ignore();
            return true;
        }
        const std::vector<std::string> files = DroppedFiles(e->mimeData());
        e->acceptProposedAction();
        // The program the file came from waits until the drop returns; the
        // page is read once it has.
        QMetaObject::invokeMethod(
            this,
            [this, page, files] {
                app::RunHandler([&] {
                    if (files.size() > 1) host_.HostOpenPages(files);
                    else host_.HostOpenPage(page);
                });
            },
            Qt::QueuedConnection);
        return true;
    }
    default: return false;
    }
}
