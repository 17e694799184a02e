#include "app/WindowExtras.h"

#include "app/Application.h"
#include "app/PointReadout.h"
#include "app/Profilora_frm.h"
#include "app/WindowMovie.h"
#include "chart/Chart.h"
#include "components/jtFile_IO.h"
#include "components/jtINI_File.h"
#include "components/jtSpinControls.h"
#include "platform/Platform.h"
#include "sounding/LapseRates.h"
#include "movie/MovieExport.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QFrame>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QUrl>

#include <filesystem>

namespace {

QString Q(const std::string& S) { return QString::fromLocal8Bit(S.c_str()); }

std::string DirectoryOf(const std::string& Path)
{
    const size_t slash = Path.rfind('/');
    return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

std::string NameOf(const std::string& Path)
{
    const size_t slash = Path.rfind('/');
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

}  // namespace

TWindowExtras::TWindowExtras(TForm1& Form) : form_(Form), trail_(*Form.Chart1)
{
    setObjectName("WindowExtras");
    PopupMenu = [](QMenu& Menu, QPoint Global) { Menu.popup(Global); };
    CreateMenu();
    SetAccessibleNames();

    form_.setAcceptDrops(true);
    form_.installEventFilter(this);

    form_.Chart1->OnMouseMove = [this](QMouseEvent* E) { MouseMoved(E); };
}

TWindowExtras::~TWindowExtras()
{
    form_.removeEventFilter(this);
    form_.Chart1->OnMouseMove = nullptr;
    form_.Chart1->OnContextMenu = nullptr;
}

// ---------------------------------------------------------------- menu

void TWindowExtras::CreateMenu()
{
    ChartMenu = new QMenu(form_.Chart1);
    ChartMenu->setObjectName("ChartMenu");
    SaveFrameAction = ChartMenu->addAction("Save Frame as PNG...");
    ExportMovieAction = ChartMenu->addAction("Export Movie as GIF...");
    ChartMenu->addSeparator();
    ShowTrailAction = ChartMenu->addAction("Show Trail");
    ShowTrailAction->setCheckable(true);
    ShowTrailAction->setChecked(false);

    connect(SaveFrameAction, &QAction::triggered, this, [this] { app::RunHandler([this] { SaveFrameAsPng(); }); });
    connect(ExportMovieAction, &QAction::triggered, this,
            [this] { app::RunHandler([this] { ExportMovieAsGif(); }); });
    connect(ShowTrailAction, &QAction::toggled, this, [this] { app::RunHandler([this] { FrameChanged(); }); });

    form_.Chart1->OnContextMenu = [this](QPoint Global) { ShowMenu(Global); };
}

void TWindowExtras::ShowMenu(QPoint Global)
{
    ExportMovieAction->setEnabled(form_.LapseRates && form_.LapseRates->Count() > 0);
    if (PopupMenu) PopupMenu(*ChartMenu, Global);
}

std::string TWindowExtras::PageBaseName() const
{
    std::string name = form_.jtFile_IO_html->Filename();
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
    const std::string frame = FrameFileName(form_.TrackBar1->Position());
    const std::string target = AskTarget("Save Frame as PNG", "PNG images (*.png)|*.png|All files (*.*)|*.*",
                                         ".png", base.empty() ? frame : base + " " + frame);
    if (target.empty()) return;
    WriteFileReplacing(target, EncodeShownFrame(*form_.Chart1));
}

void TWindowExtras::ExportMovieAsGif()
{
    if (!form_.LapseRates || form_.LapseRates->Count() < 1)
        throw EExportError("There are no soundings to export");
    const std::string base = PageBaseName();
    const std::string target = AskTarget("Export Movie as GIF", "GIF images (*.gif)|*.gif|All files (*.*)|*.*",
                                         ".gif", (base.empty() ? std::string("movie") : base) + ".gif");
    if (target.empty()) return;

    // The movie is drawn on copies, so the window may go on playing while
    // the progress window lets its messages through.
    TWindowMovie movie(*form_.Chart1, *form_.LapseRates, TrailShown());
    const int delayMs = form_.jtSpinEdit1->AsInt();
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

void TWindowExtras::FrameChanged() { trail_.Update(form_.LapseRates.get(), TrailShown()); }

// ---------------------------------------------------------------- read-out

std::string TWindowExtras::ReadoutAt(QPoint Pos) const { return ::ReadoutAt(*form_.Chart1, QPointF(Pos)); }

void TWindowExtras::MouseMoved(QMouseEvent* Event)
{
    const std::string text = ReadoutAt(Event->position().toPoint());
    if (text.empty()) QToolTip::hideText();
    else QToolTip::showText(Event->globalPosition().toPoint(), Q(text), form_.Chart1->MouseSurface());
}

// ---------------------------------------------------------------- accessibility

void TWindowExtras::SetAccessibleNames()
{
    const std::pair<QWidget*, const char*> names[] = {
        {form_.TrackBar1, "Frame"},
        {form_.Chart1, "Sounding chart"},
        {form_.Name_UIComboBox, "Sounding page"},
        {form_.jtSpinEdit1, "ms Between Frames"},
        {form_.ST_Color_UIPanel, "Standard Atmosphere colour"},
        {form_.DALR_Color_UIPanel, "DALR colour"},
        {form_.ELR_Color_UIPanel, "ELR colour"},
        {form_.SALR_Color_UIPanel, "SALR colour"},
        {form_.Dewpoint_Color_UIPanel, "Dew Point Diff colour"},
        {form_.WindDirection_Color_UIPanel, "Wind Direction colour"},
        {form_.Windspeed_Color_UIPanel, "Windspeed colour"},
        {form_.ScrollBar1, "DALR surface temperature"},
        {form_.ScrollBar2, "ELR surface temperature"},
        {form_.ScrollBar3, "SALR surface temperature"},
    };
    for (const auto& [control, name] : names)
        if (control) control->setAccessibleName(name);
    if (TjtSpinButtons* buttons = form_.jtSpinEdit1 ? form_.jtSpinEdit1->Buttons.data() : nullptr) {
        if (buttons->SpinUpButton) buttons->SpinUpButton->setAccessibleName("Up");
        if (buttons->SpinDnButton) buttons->SpinDnButton->setAccessibleName("Down");
        if (buttons->SpinSlider) buttons->SpinSlider->setAccessibleName("ms Between Frames slider");
    }
}

// ---------------------------------------------------------------- pages from outside

std::string TWindowExtras::DroppedPage(const QMimeData* Data)
{
    if (!Data || !Data->hasUrls() || Data->urls().isEmpty()) return "";
    const QUrl url = Data->urls().first();
    if (!url.isLocalFile()) return "";
    const std::string path = url.toLocalFile().toLocal8Bit().toStdString();
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

bool TWindowExtras::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched != &form_) return false;
    switch (Event->type()) {
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
        e->acceptProposedAction();
        // The program the file came from waits until the drop returns; the
        // page is read once it has.
        QMetaObject::invokeMethod(
            this,
            [this, page] { app::RunHandler([&] { form_.jtFile_IO1Open(form_.jtFile_IO1, page); }); },
            Qt::QueuedConnection);
        return true;
    }
    default: return false;
    }
}
