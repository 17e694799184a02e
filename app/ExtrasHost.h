#pragma once
// The window as its additions (TWindowExtras and its parts) see it: the few things they
// read and the one command they give, so that either side changes alone.

#include "components/ProgramSettings.h"

#include <string>
#include <utility>
#include <vector>

class QWidget;
class TChart;
class TLapseRates;
class TjtINI_File;

// What the additions need of the window, and nothing more.
class IExtrasHost {
public:
    virtual ~IExtrasHost() = default;
    // The window itself: pages dropped on it are opened.
    virtual QWidget& HostWindow() = 0;
    virtual TChart& HostChart() = 0;
    // The soundings of the page on show; null before any page is read.
    virtual const TLapseRates* HostSoundings() const = 0;
    // The page's file name, the frame on show and the frame interval.
    virtual std::string HostPageFileName() const = 0;
    // What the window's caption names: the page, "first + N more" files or
    // a catalogue entry, with the date range in force ("name (from..to)").
    virtual std::string HostShownName() const { return HostPageFileName(); }
    // The top of the time-height section, in m ([Year] HeightMax of the
    // chart's settings).
    virtual double HostSectionHeightMax() = 0;
    virtual int HostFramePosition() const = 0;
    virtual int HostFrameIntervalMs() const = 0;
    // Opens a page as the window's Open command does.
    virtual void HostOpenPage(const std::string& Path) = 0;
    // Moves the movie to a frame as the track bar does.
    virtual void HostShowFrame(int Frame) = 0;
    // The files the window reads (the page on show, the settings): what it
    // exports never takes the place of one of them.
    virtual std::vector<std::string> HostInputFiles() const = 0;
    // Opens several files (a dropped set) as one movie; by default the first.
    virtual void HostOpenPages(const std::vector<std::string>& Paths)
    {
        if (!Paths.empty()) HostOpenPage(Paths.front());
    }
    // Shows a downloaded station file under Name (the caption), narrowed to
    // the window's date range when KeepRange; by default as a page.
    virtual void HostOpenStationFile(const std::string& Path, const std::string& Name, bool KeepRange)
    {
        (void)Name, (void)KeepRange;
        HostOpenPage(Path);
    }
    // The program's settings (profilora.ini) as the window read them; by
    // default the built-in values alone.
    virtual const settings::TProgramSettings& HostProgramSettings() const
    {
        static const settings::TProgramSettings none;
        return none;
    }
    // Asks for the date range to narrow the soundings to ("Date Range..."
    // on the chart's menu); by default there is none to ask for.
    virtual void HostShowDateRange() {}
    // The date range the window narrows its soundings to ("" = open).
    virtual std::string HostDateFrom() const { return {}; }
    virtual std::string HostDateTo() const { return {}; }
    // The controls without a caption of their own, with the name a screen
    // reader should give each.
    virtual std::vector<std::pair<QWidget*, std::string>> HostUncaptionedControls() const = 0;
    // The settings the chart is read from (the skew-T window keeps its
    // place there); null when there are none.
    virtual TjtINI_File* HostSettings() { return nullptr; }
};
