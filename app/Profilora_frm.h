#pragma once
// The main window: plays the soundings of a page as a movie on a chart of
// temperature against altitude, with reference profiles, extra quantities of
// the current sounding, a catalogue of pages and two settings components.

#include "app/Controls.h"
#include "app/ExtrasHost.h"
#include "app/OffThread.h"
#include "app/ShownSet.h"
#include "components/jtForm.h"
#include "sounding/DateRange.h"
#include "sounding/Sounding.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;
class TChart;
class TLineSeries;
class TLapseRates;
class TRichEdit;
class TjtFile_IO;
class TjtINI_File;
class TjtSpinEdit;
class TjtVistaSucks;
class TWindowExtras;

class TForm1 : public QWidget, public IForm, private IExtrasHost {
public:
    // Builds the window's controls and components and runs their
    // after-load work; an error there ends the construction (the caller ends
    // the program). FormCreate follows; its errors are shown and the window
    // still opens.
    explicit TForm1(QWidget* Parent = nullptr);
    ~TForm1() override;

    // ---- controls and components, by their object names
    TChart* Chart1 = nullptr;
    TTrackBar* TrackBar1 = nullptr;
    QCheckBox* Animate_CheckBox = nullptr;
    QPushButton* Prev_UIButton = nullptr;
    QPushButton* Next_UIButton = nullptr;
    QCheckBox* Markers_CheckBox = nullptr;
    QCheckBox* Points_CheckBox = nullptr;
    QCheckBox* Standard_Atmosphere_UICheckBox = nullptr;
    QCheckBox* DALR_UICheckBox = nullptr;
    QCheckBox* ELR_CheckBox = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    TColorPanel* ST_Color_UIPanel = nullptr;
    TColorPanel* DALR_Color_UIPanel = nullptr;
    TColorPanel* ELR_Color_UIPanel = nullptr;
    TColorPanel* SALR_Color_UIPanel = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    QScrollBar* ScrollBar2 = nullptr;
    QScrollBar* ScrollBar3 = nullptr;
    QCheckBox* DewPoint_UICheckBox = nullptr;
    TColorPanel* Dewpoint_Color_UIPanel = nullptr;
    QCheckBox* WindDirection_UICheckBox = nullptr;
    TColorPanel* WindDirection_Color_UIPanel = nullptr;
    QCheckBox* Windspeed_UICheckBox = nullptr;
    TColorPanel* Windspeed_Color_UIPanel = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* Name_UIComboBox = nullptr;
    QPushButton* Button2 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    QLabel* Label3 = nullptr;
    TjtSpinEdit* jtSpinEdit1 = nullptr;
    QTimer* Timer1 = nullptr;
    TRichEdit* html_UIRichEdit = nullptr;

    TjtINI_File* jtINI_File1 = nullptr;
    TjtFile_IO* jtFile_IO1 = nullptr;
    TColorDialog* ColorDialog1 = nullptr;
    TjtFile_IO* jtFile_IO_html = nullptr;
    TjtVistaSucks* jtVistaSucks1 = nullptr;
    TjtINI_File* jtINI_File2 = nullptr;

    // The soundings of the page on show; created by FormCreate.
    std::unique_ptr<TLapseRates> LapseRates;
    // What the window shows, as the windows beside it follow it: the set,
    // its name, range and files, and the frame on show.
    app::TShownSet ShownSet;

    // The chart's menu (export, trail), pages dropped or named on the
    // command line, accessible names and the point read-out: all beside the
    // window's own behaviour. Goes before the controls do.
    std::unique_ptr<TWindowExtras> Extras;

private:
    // What the additions see of the window.
    QWidget& HostWindow() override { return *this; }
    TChart& HostChart() override { return *Chart1; }
    app::TShownSet& HostShownSet() override { return ShownSet; }
    int HostFrameIntervalMs() const override;
    void HostOpenPage(const std::string& Path) override;
    std::vector<std::string> HostInputFiles() const override;
    void HostOpenPages(const std::vector<std::string>& Paths) override;
    void HostOpenStationFile(const std::string& Path, const std::string& Name, bool KeepRange) override;
    void HostShowDateRange() override;
    const settings::TProgramSettings& HostProgramSettings() const override { return settings_; }
    const settings::TProgramSettings* HostChartSettings() const override { return &chartSettings_; }

public:
    // ---- event handlers
    void FormCreate(QObject* Sender);
    void TrackBar1Change(QObject* Sender);
    void Animate_CheckBoxClick(QObject* Sender);
    void Prev_UIButtonClick(QObject* Sender);
    void Next_UIButtonClick(QObject* Sender);
    void Markers_CheckBoxClick(QObject* Sender);
    void Points_CheckBoxClick(QObject* Sender);
    void Enable_Series(QObject* Sender);
    void Set_Color(QObject* Sender);
    void ScrollBar1Change(QObject* Sender);
    void Name_UIComboBoxChange(QObject* Sender);
    void Button2Click(QObject* Sender);
    void jtFile_IO1Open(QObject* Sender, const std::string& AFilename);
    void jtSpinEdit1Change(QObject* Sender);
    void Timer1Timer(QObject* Sender);
    void jtINI_File1ReadComplete(QObject* Sender);
    void jtINI_File2ReadComplete(QObject* Sender);

    void Show_Frame_Info();
    void Show_Extra_Series();

    // ---- station files, several files as one movie, a range of dates
    // (WindowSources.cpp)
    // "Date Range..." in the chart's menu.
    QAction* DateRange_Action = nullptr;
    // Opens files as one movie: one file as "Read File..." opens it, several
    // merged in time order. Caption names them in the window's caption.
    void Open_Files(const std::vector<std::string>& Paths);
    // A catalogue entry: a file name, perhaps with wildcards, and the text of
    // its value (a date range, or anything else, which is ignored).
    void Open_Catalogue_Entry(const std::string& Name, const std::string& Value);
    void DateRange_ActionClick(QObject* Sender);
    // Shows only the soundings launched From .. To ("YYYY-MM-DD", inclusive,
    // empty = open); both empty brings back the whole set. A bad date or a
    // range without soundings is told and changes nothing.
    void SetDateRange(const std::string& From, const std::string& To);
    // What keeps a range from being shown ("" when nothing): a bad date, a
    // start after the end, no soundings in it.
    std::string DateRangeFault(const std::string& From, const std::string& To) const;
    // The range of days on show; whole when none narrows the set.
    const sounding::TDateRange& DateRange() const { return ShownSet.Range(); }
    // Where station files are read: a thread of their own.
    app::TOffThread StationReads;

    // The anchors a control was given (for tests and for the layout).
    TAnchors AnchorsOf(const QWidget* Control) const { return anchors_.AnchorsOf(Control); }
    // The client size the window was designed for.
    static constexpr int DesignWidth = 862;
    static constexpr int DesignHeight = 480;

    // IForm
    bool Scaled() const override { return scaled_; }
    void SetScaled(bool V) override { scaled_ = V; }
    bool AutoScroll() const override { return autoScroll_; }
    void SetAutoScroll(bool V) override { autoScroll_ = V; }
    std::string FontName() const override { return fontName_; }
    void SetFontName(const std::string& V) override;

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    void CreateControls();
    void CreateSpinEdit();
    void CreatePageText();
    void WireControls();
    // The controls without a caption, with the name a screen reader should
    // give each.
    std::vector<std::pair<QWidget*, std::string>> UncaptionedControls() const;
    void CreateComponents();
    void FinishLoading();
    void Read_Profile(const std::string& Section);
    void Load_Sounding_File(const std::string& AFilename);
    // "Cannot read NAME: the file is not a zip archive" for an existing file
    // named .zip (or .gz) that holds no archive; "" for any other file.
    static std::string FalseArchiveText(const std::string& Path);
    // The full path a name opens: a bare name lies in the pages' folder.
    std::string Sounding_Path(const std::string& AFilename) const;
    // Reads files with the station-file readers, on a thread of their own
    // (a read of over a second offers a Cancel), and shows them under
    // Name, narrowed to From .. To; on failure or a Cancel the window keeps
    // what it shows.
    void Load_Station_Files(const std::vector<std::string>& Paths, const std::string& Name,
                            const std::string& From = "", const std::string& To = "");
    void Show_Loaded_Set();
    TLineSeries* SeriesAt(int Index) const;
    void ProcessPendingMessages();

    TAnchorLayout anchors_;
    bool scaled_ = true;
    bool autoScroll_ = false;
    std::string fontName_;
    qint64 lastMessagePump_ = 0;
    // Counts the loads begun, so that a load that a newer one overtook
    // (through the pending messages) leaves the caption and the set alone.
    std::uint64_t loadSerial_ = 0;
    // The program's settings, read once when the window is created.
    // profilora.ini as jtINI_File2 read it, and the chart's settings as
    // jtINI_File1 read them (the same file unless "/ini" names another).
    settings::TProgramSettings settings_;
    settings::TProgramSettings chartSettings_;
    std::string CatalogueValue(const std::string& Name) const;
};
