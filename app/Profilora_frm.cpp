#include "app/Profilora_frm.h"

#include "app/Application.h"
#include "app/PageDrops.h"
#include "app/WindowExtras.h"
#include "app/WindowLayout.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "movie/SectionPicture.h"
#include "movie/SoundingChart.h"
#include "platform/ReplaceFile.h"
#include "components/jtCommon.h"
#include "components/jtControls.h"
#include "components/jtFile_IO.h"
#include "components/jtINI_File.h"
#include "components/jtOS_Fix.h"
#include "components/jtSpinControls.h"
#include "components/jtTextFile.h"
#include "components/jtSysUtils.h"
#include "platform/LocalNames.h"
#include "platform/Platform.h"
#include "sounding/LapseRates.h"
#include "sounding/SoundingSet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace {

using app::Q;

int TagOf(const QObject* Sender) { return Sender ? Sender->property("Tag").toInt() : -1; }

void SetTag(QObject* Control, int Tag) { Control->setProperty("Tag", Tag); }

std::string S(const QString& Q) { return Q.toLocal8Bit().toStdString(); }

// Connects a Qt signal to one of the window's handlers; an error that leaves
// the handler is shown by the general handler.
template <typename Control_t, typename Signal>
void Wire(Control_t* Control, Signal Sig, TForm1* Form, void (TForm1::*Handler)(QObject*))
{
    QObject::connect(Control, Sig, Form,
                     [Form, Handler, Control] { app::RunHandler([&] { (Form->*Handler)(Control); }); });
}

}  // namespace

TForm1::TForm1(QWidget* Parent) : QWidget(Parent)
{
    setObjectName("Form1");
    setWindowTitle("Profilora");
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // The window's font is named as on the desktop it was designed for; where
    // that font is missing, a face of the same width takes its place so the
    // captions fit their controls.
    const QStringList narrowSans = {"Liberation Sans", "Arimo",     "Nimbus Sans",
                                    "Arial",           "Helvetica", "DejaVu Sans Condensed"};
    QFont::insertSubstitutions("MS Sans Serif", narrowSans);
    QFont::insertSubstitutions("microsoft sans serif", narrowSans);
    QFont f(Q("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    fontName_ = "MS Sans Serif";

    anchors_.SetDesignSize(QSize(DesignWidth, DesignHeight));
    CreateControls();
    CreateComponents();
    FinishLoading();

    // The form applies its scaling once all its controls are built.
    if (scaled_) {
        const double dpi = logicalDpiX();
        if (dpi > 0 && dpi != 96) anchors_.Scale(dpi / 96.0);
    }
    const QSize client = anchors_.DesignSize();
    setGeometry(256, 175, client.width(), client.height());
    // At a large scale the designed place may put the bottom of the window
    // below the screen; then the window moves to lie on it.
    if (const QScreen* screen = this->screen()) {
        const QRect fitted = FitOnScreen(frameGeometry(), screen->availableGeometry());
        if (fitted != frameGeometry()) move(fitted.topLeft());  // move() places the frame
    }
    setMinimumSize(770, 410);
    anchors_.Apply(size());

    ShownSet.OnAskFrame = [this](int Frame) { TrackBar1->SetPosition(Frame); };
    Extras = std::make_unique<TWindowExtras>(static_cast<IExtrasHost&>(*this));
    DateRange_Action = Extras->DateRangeAction;
    // The controls without a caption get the name a screen reader gives.
    for (const auto& [control, name] : UncaptionedControls())
        if (control) control->setAccessibleName(Q(name));

    app::RunHandler([this] { FormCreate(this); });
}

int TForm1::HostFrameIntervalMs() const { return jtSpinEdit1->AsInt(); }

void TForm1::HostOpenPage(const std::string& Path) { jtFile_IO1Open(jtFile_IO1, Path); }

std::vector<std::string> TForm1::HostInputFiles() const
{
    std::vector<std::string> files = ShownSet.Files();
    for (const std::string& f :
         {jtFile_IO_html->FullFilename(), jtINI_File1->FullFilename(), jtINI_File2->FullFilename()})
        files.push_back(f);
    return files;
}

std::vector<std::pair<QWidget*, std::string>> TForm1::UncaptionedControls() const
{
    std::vector<std::pair<QWidget*, std::string>> names{
        {TrackBar1, "Frame"},
        {Chart1, "Sounding chart"},
        {Name_UIComboBox, "Sounding page"},
        {jtSpinEdit1, "ms Between Frames"},
        {ST_Color_UIPanel, "Standard Atmosphere colour"},
        {DALR_Color_UIPanel, "DALR colour"},
        {ELR_Color_UIPanel, "ELR colour"},
        {SALR_Color_UIPanel, "SALR colour"},
        {Dewpoint_Color_UIPanel, "Dew Point Diff colour"},
        {WindDirection_Color_UIPanel, "Wind Direction colour"},
        {Windspeed_Color_UIPanel, "Windspeed colour"},
        {ScrollBar1, "DALR surface temperature"},
        {ScrollBar2, "ELR surface temperature"},
        {ScrollBar3, "SALR surface temperature"},
    };
    if (TjtSpinButtons* buttons = jtSpinEdit1 ? jtSpinEdit1->Buttons.data() : nullptr) {
        names.emplace_back(buttons->SpinUpButton, "Up");
        names.emplace_back(buttons->SpinDnButton, "Down");
        names.emplace_back(buttons->SpinSlider, "ms Between Frames slider");
    }
    return names;
}

TForm1::~TForm1()
{
    // The additions go first, while the controls they serve still exist, and
    // nothing reaches them afterwards.
    Extras.reset();
}

void TForm1::SetFontName(const std::string& V)
{
    fontName_ = V;
    QFont f = font();
    f.setFamily(Q(V));
    setFont(f);
}

void TForm1::CreateControls()
{
    // Place, anchors and tag come from the window's layout table.
    auto place = [this](QWidget* w, const char* name) {
        const app::TControlPlace& at = app::PlaceOf(name);
        w->setObjectName(name);
        anchors_.Add(w, QRect(at.Left, at.Top, at.Width, at.Height), at.Anchors);
        if (at.Tag >= 0) SetTag(w, at.Tag);
    };
    auto check = [&](const char* name, const char* caption) {
        auto* c = new QCheckBox(Q(caption), this);
        place(c, name);
        return c;
    };
    auto button = [&](const char* name, const char* caption) {
        auto* b = new QPushButton(Q(caption), this);
        place(b, name);
        return b;
    };
    auto panel = [&](const char* name) {
        auto* p = new TColorPanel(this);
        place(p, name);
        p->OnClick = [this](QObject* s) { app::RunHandler([&] { Set_Color(s); }); };
        return p;
    };
    auto scroll = [&](const char* name) {
        auto* sb = new QScrollBar(Qt::Horizontal, this);
        place(sb, name);
        sb->setRange(-65, 200);
        sb->setPageStep(0);
        sb->setValue(15);
        return sb;
    };

    Chart1 = new TChart(this);
    place(Chart1, "Chart1");
    SetupChart1(*Chart1);

    TrackBar1 = new TTrackBar(this);
    place(TrackBar1, "TrackBar1");
    TrackBar1->setRange(0, 10);
    TrackBar1->SetFrequency(1);
    TrackBar1->SetPosition(0);

    Animate_CheckBox = check("Animate_CheckBox", "Animate");
    Prev_UIButton = button("Prev_UIButton", "Prev");
    Next_UIButton = button("Next_UIButton", "Next");
    Markers_CheckBox = check("Markers_CheckBox", "Markers");
    Points_CheckBox = check("Points_CheckBox", "Points");
    Standard_Atmosphere_UICheckBox = check("Standard_Atmosphere_UICheckBox", "Standard Atmosphere");
    DALR_UICheckBox = check("DALR_UICheckBox", "DALR - 9.5 C/km");
    ELR_CheckBox = check("ELR_CheckBox", "ELR - 6.5 C/km");
    CheckBox1 = check("CheckBox1", "SALR - 4 C/km");
    ST_Color_UIPanel = panel("ST_Color_UIPanel");
    DALR_Color_UIPanel = panel("DALR_Color_UIPanel");
    ELR_Color_UIPanel = panel("ELR_Color_UIPanel");
    SALR_Color_UIPanel = panel("SALR_Color_UIPanel");
    ScrollBar1 = scroll("ScrollBar1");
    ScrollBar2 = scroll("ScrollBar2");
    ScrollBar3 = scroll("ScrollBar3");
    DewPoint_UICheckBox = check("DewPoint_UICheckBox", "Dew Point Diff");
    DewPoint_UICheckBox->setToolTip("The number of degrees the Dew Point is below the temperature");
    Dewpoint_Color_UIPanel = panel("Dewpoint_Color_UIPanel");
    WindDirection_UICheckBox = check("WindDirection_UICheckBox", "Wind Direction / 10");
    WindDirection_Color_UIPanel = panel("WindDirection_Color_UIPanel");
    Windspeed_UICheckBox = check("Windspeed_UICheckBox", "Windspeed");
    Windspeed_Color_UIPanel = panel("Windspeed_Color_UIPanel");

    Label2 = new QLabel("50 m/s = 112 mi/hr", this);
    place(Label2, "Label2");

    Name_UIComboBox = new QComboBox(this);
    place(Name_UIComboBox, "Name_UIComboBox");
    Name_UIComboBox->setEditable(false);
    Name_UIComboBox->addItems(
        {"Anchorage 2006.html", "Jacksonville 2006.html", "Key West 2006.html", "Tucson 2006.html"});
    Name_UIComboBox->setCurrentIndex(-1);

    Button2 = button("Button2", "Read File...");

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    anchors_.Add(StatusBar1, QRect(0, DesignHeight - 19, DesignWidth, 19), akLeft | akRight | akBottom);
    StatusBar1->SetSimpleText("Load a data file via the comboBox or by clicking \"Read File...\"");

    Label3 = new QLabel("ms Between Frames", this);
    place(Label3, "Label3");

    jtSpinEdit1 = new TjtSpinEdit(this);
    jtSpinEdit1->setObjectName("jtSpinEdit1");
    jtSpinEdit1->SetLoading(true);
    place(jtSpinEdit1, "jtSpinEdit1");
    CreateSpinEdit();

    CreatePageText();
    WireControls();
}

void TForm1::CreatePageText()
{
    // Holds the text of the page read last; never shown.
    html_UIRichEdit = new TRichEdit(this);
    html_UIRichEdit->setObjectName("html_UIRichEdit");
    html_UIRichEdit->SetText("html_UIRichEdit");
    html_UIRichEdit->setGeometry(512, 360, 145, 105);
    html_UIRichEdit->setVisible(false);
}

void TForm1::CreateSpinEdit()
{
    jtSpinEdit1->setText("1");
    jtSpinEdit1->SetValueMin(1);
    jtSpinEdit1->SetValueMax(1000);
    jtSpinEdit1->SetValueDefault(1);
    jtSpinEdit1->SetValue(1);
    jtSpinEdit1->SetLimitValue(true);
}

void TForm1::WireControls()
{
    QObject::connect(TrackBar1, &QSlider::valueChanged, this,
                     [this] { app::RunHandler([this] { TrackBar1Change(TrackBar1); }); });
    Wire(Animate_CheckBox, &QCheckBox::toggled, this, &TForm1::Animate_CheckBoxClick);
    Wire(Prev_UIButton, &QPushButton::clicked, this, &TForm1::Prev_UIButtonClick);
    Wire(Next_UIButton, &QPushButton::clicked, this, &TForm1::Next_UIButtonClick);
    Wire(Markers_CheckBox, &QCheckBox::toggled, this, &TForm1::Markers_CheckBoxClick);
    Wire(Points_CheckBox, &QCheckBox::toggled, this, &TForm1::Points_CheckBoxClick);
    for (QCheckBox* c : {Standard_Atmosphere_UICheckBox, DALR_UICheckBox, ELR_CheckBox, CheckBox1, DewPoint_UICheckBox,
                         WindDirection_UICheckBox, Windspeed_UICheckBox})
        Wire(c, &QCheckBox::toggled, this, &TForm1::Enable_Series);
    for (QScrollBar* sb : {ScrollBar1, ScrollBar2, ScrollBar3})
        Wire(sb, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
    Wire(Name_UIComboBox, &QComboBox::activated, this, &TForm1::Name_UIComboBoxChange);
    Wire(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    jtSpinEdit1->OnChange = [this](QObject* s) { app::RunHandler([&] { jtSpinEdit1Change(s); }); };
}

void TForm1::CreateComponents()
{
    // In creation order; they finish loading in this order.
    jtINI_File1 = new TjtINI_File(this);
    jtINI_File1->setObjectName("jtINI_File1");
    jtINI_File1->SetLoading(true);
    jtINI_File1->SetOpenOnLoad(true);
    jtINI_File1->SetAutoOpenDialog(false);
    jtINI_File1->SetMakeBackup(false);
    jtINI_File1->SetCmdLineParms("/ini");
    jtINI_File1->SetIgnore_CmdLine(false);
    jtINI_File1->SetINI_Default(::ProfileDefaults());
    jtINI_File1->OnReadComplete = [this](QObject* s) { jtINI_File1ReadComplete(s); };

    jtFile_IO1 = new TjtFile_IO(this);
    jtFile_IO1->setObjectName("jtFile_IO1");
    jtFile_IO1->SetLoading(true);
    jtFile_IO1->SetFilter(
        "Upper-air data (*.html *.txt *.gz *.zip)|*.html;*.txt;*.gz;*.zip|"
        "Soundings (*.html)|*.html|All files (*.*)|*.*");
    jtFile_IO1->SetOpenOnLoad(false);
    jtFile_IO1->SetAutoOpenDialog(false);
    jtFile_IO1->SetMakeBackup(false);
    jtFile_IO1->OnOpen = [this](QObject* s, std::string name) { jtFile_IO1Open(s, name); };

    ColorDialog1 = new TColorDialog(this);
    ColorDialog1->setObjectName("ColorDialog1");
    ColorDialog1->SetCtl3D(true);

    jtFile_IO_html = new TjtFile_IO(this);
    jtFile_IO_html->setObjectName("jtFile_IO_html");
    jtFile_IO_html->SetLoading(true);
    jtFile_IO_html->SetControl(html_UIRichEdit);
    jtFile_IO_html->SetOpenOnLoad(false);
    jtFile_IO_html->SetAutoOpenDialog(false);
    jtFile_IO_html->SetMakeBackup(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(100);
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { app::RunHandler([this] { Timer1Timer(Timer1); }); });

    jtVistaSucks1 = new TjtVistaSucks(this);
    jtVistaSucks1->setObjectName("jtVistaSucks1");
    jtVistaSucks1->SetAllowVistaScaling(false);
    jtVistaSucks1->SetAutoScroll(true);

    jtINI_File2 = new TjtINI_File(this);
    jtINI_File2->setObjectName("jtINI_File2");
    jtINI_File2->SetLoading(true);
    jtINI_File2->SetOpenOnLoad(true);
    jtINI_File2->SetAutoOpenDialog(false);
    jtINI_File2->SetMakeBackup(false);
    jtINI_File2->SetCmdLineParms("/ini");
    jtINI_File2->SetIgnore_CmdLine(true);
    jtINI_File2->SetINI_Default(::CatalogueDefaults());
    // A line naming a file by its full path is a catalogue entry, not a
    // comment.
    jtINI_File2->SetSlashKeys(true,
                              [](std::string_view Key) { return platform::files().FileExists(std::string(Key)); });
    jtINI_File2->OnReadComplete = [this](QObject* s) { jtINI_File2ReadComplete(s); };
}

void TForm1::FinishLoading()
{
    // The controls first, so that the spin edit clamps what the settings
    // write into it; then the components in the order they were created.
    // Errors are not caught here: they end the creation of the window.
    jtSpinEdit1->Loaded();
    jtINI_File1->Loaded();
    jtFile_IO1->Loaded();
    ColorDialog1->Loaded();
    jtFile_IO_html->Loaded();
    jtVistaSucks1->Loaded();
    jtINI_File2->Loaded();
}

void TForm1::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    anchors_.Apply(Event->size());
}

void TForm1::showEvent(QShowEvent* Event)
{
    QWidget::showEvent(Event);
    // The outer size may not go below 770 x 410; the frame is known once shown.
    const QSize frame = frameGeometry().size() - size();
    setMinimumSize(std::max(0, 770 - frame.width()), std::max(0, 410 - frame.height()));
}

// ---------------------------------------------------------------- start-up

void TForm1::FormCreate(QObject*)
{
    LapseRates = std::make_unique<TLapseRates>();
    LapseRates->ProcessMessages = [this] { ProcessPendingMessages(); };
    ShownSet.SetMovie(LapseRates.get());
    // A page named on the command line (as a desktop entry names the file
    // it opens) is loaded as "Read File..." loads one, instead of the start
    // page of the catalogue.
    const std::vector<std::string> files = app::TPageDrops::PageArguments(platform::system().Arguments());
    if (files.size() > 1) {
        Open_Files(files);
        return;
    }
    const std::string page = app::TPageDrops::PageArgument(platform::system().Arguments());
    if (!page.empty()) {
        jtFile_IO1Open(jtFile_IO1, page);
        return;
    }
    // The start-up page, selected from the settings, is loaded before the
    // window is first shown.
    if (Name_UIComboBox->currentIndex() >= 0) Name_UIComboBoxChange(this);
}

void TForm1::ProcessPendingMessages()
{
    // Keeps the window responsive during a long load. Handling the queue
    // after every table of a large page would cost more than the parse
    // itself, so the queue is handled at most every 20 ms.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - lastMessagePump_ < 20) return;
    lastMessagePump_ = now;
    QCoreApplication::processEvents();
}

TLineSeries* TForm1::SeriesAt(int Index) const { return Chart1->Series(Index); }

void TForm1::jtINI_File1ReadComplete(QObject*)
{
    // A whole new range is applied at once, so any range with min <= max is
    // accepted whatever the range before it.
    chartSettings_ = settings::TProgramSettings::Over(*jtINI_File1);
    ApplyAxisRanges(*jtINI_File1, *Chart1);
    for (const char* section : {"International_Standard_Atmosphere 1976", "DALR", "ELR", "SALR"}) Read_Profile(section);
    Points_CheckBoxClick(Points_CheckBox);
    ST_Color_UIPanel->SetColor(SeriesAt(1)->Color());
    DALR_Color_UIPanel->SetColor(SeriesAt(2)->Color());
    ELR_Color_UIPanel->SetColor(SeriesAt(3)->Color());
    SALR_Color_UIPanel->SetColor(SeriesAt(4)->Color());
    for (const char* section : {"Dewpoint", "WindDirection", "Windspeed"}) Read_Profile(section);
    Dewpoint_Color_UIPanel->SetColor(SeriesAt(5)->Color());
    WindDirection_Color_UIPanel->SetColor(SeriesAt(6)->Color());
    Windspeed_Color_UIPanel->SetColor(SeriesAt(7)->Color());
}

void TForm1::Read_Profile(const std::string& Section) { ReadProfile(*jtINI_File1, *Chart1, Section); }

void TForm1::jtINI_File2ReadComplete(QObject*)
{
    // The one settings object the window and its parts take their values
    // from, over what jtINI_File2 read.
    settings_ = settings::TProgramSettings::Over(*jtINI_File2);
    const std::string start = settings_.StartPage();
    jtSpinEdit1->SetAsInt(settings_.IntervalMs(jtSpinEdit1->AsInt()));
    std::vector<std::string> pages;
    for (const settings::TCatalogueEntry& entry : settings_.Catalogue()) pages.push_back(entry.Name);
    Name_UIComboBox->clear();
    // Each entry keeps its name's bytes: shown as text, opened as written.
    for (const std::string& p : pages) Name_UIComboBox->addItem(Q(p), QByteArray(p.data(), qsizetype(p.size())));
    int selected = -1;
    for (int i = 0; i < int(pages.size()); ++i) {
        if (jt::SameTextAZ(pages[size_t(i)], start)) {
            selected = i;
            break;
        }
    }
    Name_UIComboBox->setCurrentIndex(selected);
}

// ---------------------------------------------------------------- frames

void TForm1::Next_UIButtonClick(QObject*)
{
    if (LapseRates) LapseRates->PlotNext(*SeriesAt(0));
    Show_Frame_Info();
}

void TForm1::Timer1Timer(QObject* Sender) { Next_UIButtonClick(Sender); }

void TForm1::Prev_UIButtonClick(QObject*)
{
    if (LapseRates) LapseRates->PlotPrev(*SeriesAt(0));
    Show_Frame_Info();
}

void TForm1::TrackBar1Change(QObject*)
{
    if (!LapseRates) return;
    LapseRates->PlotFrame(TrackBar1->Position(), *SeriesAt(0));
    StatusBar1->SetSimpleText(LapseRates->CurrentTitle());
    Show_Extra_Series();
}

void TForm1::Show_Frame_Info()
{
    if (!LapseRates) return;
    TrackBar1->SetPosition(LapseRates->Current);
    StatusBar1->SetSimpleText(LapseRates->CurrentTitle());
    Show_Extra_Series();
}

void TForm1::Show_Extra_Series()
{
    if (!LapseRates) return;
    const std::pair<QCheckBox*, TSoundingQuantity> pairs[] = {
        {DewPoint_UICheckBox, sqDewPointDiff},
        {WindDirection_UICheckBox, sqWindDirection},
        {Windspeed_UICheckBox, sqWindSpeed},
    };
    for (const auto& [box, kind] : pairs) {
        if (!box->isChecked()) continue;
        // The extra series exist once the settings have been read; never plot
        // into a slot that is not there.
        if (TLineSeries* series = SeriesAt(TagOf(box))) LapseRates->PlotQuantity(kind, *series);
    }
    // The trail, when shown, follows the frame as the extra series do; so
    // do the windows beside this one.
    ShownSet.ShowFrame(TrackBar1->Position());
}

void TForm1::Animate_CheckBoxClick(QObject* Sender)
{
    jtSpinEdit1Change(Sender);
    const bool playing = Animate_CheckBox->isChecked();
    if (playing)
        Timer1->start();
    else
        Timer1->stop();
    Next_UIButton->setEnabled(!playing);
    Prev_UIButton->setEnabled(!playing);
}

void TForm1::jtSpinEdit1Change(QObject*) { Timer1->setInterval(std::max(0, jtSpinEdit1->AsInt())); }

namespace {
QCheckBox* AsCheckBox(QObject* Sender)
{
    auto* box = qobject_cast<QCheckBox*>(Sender);
    if (!box) throw EInvalidCast("Invalid class typecast");
    return box;
}
}  // namespace

void TForm1::Markers_CheckBoxClick(QObject* Sender) { SeriesAt(0)->SetMarksVisible(AsCheckBox(Sender)->isChecked()); }

void TForm1::Points_CheckBoxClick(QObject* Sender) { SeriesAt(0)->SetPointerVisible(AsCheckBox(Sender)->isChecked()); }

// ---------------------------------------------------------------- styling

void TForm1::Enable_Series(QObject* Sender)
{
    if (TLineSeries* series = SeriesAt(TagOf(Sender))) series->SetActive(AsCheckBox(Sender)->isChecked());
    Show_Extra_Series();
}

void TForm1::Set_Color(QObject* Sender)
{
    auto* panel = dynamic_cast<TColorPanel*>(Sender);
    if (!panel) throw EInvalidCast("Invalid class typecast");
    ColorDialog1->SetColor(panel->Color());
    if (!ColorDialog1->Execute()) return;
    panel->SetColor(ColorDialog1->Color());
    if (TLineSeries* series = SeriesAt(TagOf(Sender))) series->SetColor(ColorDialog1->Color());
}

void TForm1::ScrollBar1Change(QObject* Sender)
{
    auto* bar = qobject_cast<QScrollBar*>(Sender);
    TLineSeries* series = SeriesAt(TagOf(Sender));
    // A line needs a second point to measure the shift from.
    if (!bar || !series || series->Count() < 2) return;
    const double shift = bar->value() - series->XValue(1);
    for (int i = 0; i < series->Count(); ++i) series->SetXValue(i, series->XValue(i) + shift);
    if (!Timer1->isActive()) Chart1->Repaint();
}

// ---------------------------------------------------------------- loading

void TForm1::Name_UIComboBoxChange(QObject*)
{
    const QVariant bytes = Name_UIComboBox->currentData();
    const std::string name =
        bytes.typeId() == QMetaType::QByteArray ? bytes.toByteArray().toStdString() : S(Name_UIComboBox->currentText());
    // An entry's value may narrow it to a range of dates; its name may hold
    // wildcards.
    Open_Catalogue_Entry(name, CatalogueValue(name));
}

std::string TForm1::CatalogueValue(const std::string& Name) const
{
    for (const settings::TCatalogueEntry& entry : settings_.Catalogue())
        if (jt::SameTextAZ(entry.Name, Name)) return entry.Value;
    return {};
}

void TForm1::Button2Click(QObject*)
{
    // Several files may be chosen at once; they play as one movie.
    platform::FileDialogSetup setup;
    setup.InitialDir = jtFile_IO1->Directory();
    setup.Filter = jtFile_IO1->Filter();
    std::vector<std::string> chosen;
    if (!platform::prompts().OpenFilesDialog(setup, chosen) || chosen.empty()) return;
    // The dialog hands back text: a name that is no text in the local
    // encoding is led back to the bytes the file system holds.
    for (std::string& name : chosen) name = platform::ExistingLocalName(name);
    jtFile_IO1->SetFilename(chosen.front());
    Open_Files(chosen);
}

void TForm1::jtFile_IO1Open(QObject*, const std::string& AFilename)
{
    Name_UIComboBox->setCurrentIndex(-1);
    Load_Sounding_File(AFilename);
}

std::string TForm1::FalseArchiveText(const std::string& Path)
{
    for (const auto& [end, kind] :
         {std::pair<const char*, const char*>{".zip", "a zip archive"}, {".gz", "a gzip file"}}) {
        if (Path.size() < std::strlen(end) || !jt::SameTextAZ(Path.substr(Path.size() - std::strlen(end)), end) ||
            !platform::files().FileExists(Path) || IsStationFile(Path))
            continue;
        return "Cannot read " + platform::NameOf(Path) + ": the file is not " + kind;
    }
    return "";
}

void TForm1::Load_Sounding_File(const std::string& AFilename)
{
    const app::TBusyCursor busy;
    // The additions follow every page read, also one that fails.
    struct PageShown {
        TForm1& Form;
        bool Armed = true;
        ~PageShown()
        {
            if (Armed) Form.ShownSet.PageShown();
        }
    } shown{*this};

    // IGRA station files, Wyoming pages and archives go to the station-file
    // readers; a sounding page, and any other content, the page's way.
    const std::string path = Sounding_Path(AFilename);
    if (IsStationFile(path)) {
        shown.Armed = false;  // the station-file load tells the additions itself
        Load_Station_Files({path}, AFilename);
        return;
    }
    // A file named as an archive that holds none is no page either: say so,
    // as the archive readers do, and keep what is on show.
    if (const std::string fault = FalseArchiveText(path); !fault.empty()) {
        platform::prompts().MessageBox(fault, app::ProgramTitle(), platform::MsgButtons::OK, platform::MsgIcon::Error);
        return;
    }
    const std::uint64_t serial = ++loadSerial_;
    Animate_CheckBox->setChecked(false);
    ShownSet.SetPageFile(jt::ExtractFileName(AFilename));
    jtFile_IO_html->OpenFile(AFilename);
    // Holding the text keeps it alive even if a load started from inside this
    // one (through the pending messages) replaces the control's text.
    const std::shared_ptr<const std::string> text = html_UIRichEdit->SharedText();
    const TPageLoad read = LapseRates->LoadPage(*text);
    if (serial != loadSerial_) {
        // A newer load overtook this one: the set, the caption and the
        // additions are that load's.
        shown.Armed = false;
        return;
    }
    if (read == TPageLoad::MissingData)
        platform::prompts().MessageBox(kMissingDataText, kMissingDataCaption, platform::MsgButtons::OK,
                                       platform::MsgIcon::None);
    ShownSet.ForgetRange();
    TrackBar1->SetMax(LapseRates->Count() - 1);
    TrackBar1->SetFrequency(TrackBar1->Max() / 12 + 1);
    // A page that cannot be read or has no soundings is not shown: the
    // caption keeps naming the page the chart shows.
    if (LapseRates->Count() > 0) {
        setWindowTitle(Q("Profilora - " + AFilename));
        ShownSet.SetFiles({jtFile_IO_html->FullFilename()});
        ShownSet.SetName(AFilename);
        Animate_CheckBox->setChecked(true);
    }
}
