#pragma once
// The window as its additions (TWindowExtras and its parts) see it: the
// window, its chart, what it shows (app/ShownSet.h) and the commands that
// open pages, so that either side changes alone.

#include "components/ProgramSettings.h"

#include <string>
#include <vector>

class QWidget;
class TChart;
namespace app {
class TShownSet;
}

// What the additions need of the window, and nothing more.
class IExtrasHost {
public:
    virtual ~IExtrasHost() = default;
    // The window itself: pages dropped on it are opened.
    virtual QWidget& HostWindow() = 0;
    virtual TChart& HostChart() = 0;
    // What the window shows: the set, its name and range, the frame.
    virtual app::TShownSet& HostShownSet() = 0;
    // The frame interval, in ms.
    virtual int HostFrameIntervalMs() const = 0;
    // Opens a page as the window's Open command does.
    virtual void HostOpenPage(const std::string& Path) = 0;
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
    // Asks for the date range to narrow the soundings to ("Date Range..."
    // on the chart's menu); by default there is none to ask for.
    virtual void HostShowDateRange() {}
    // The program's settings (profilora.ini) as the window read them; by
    // default the built-in values alone.
    virtual const settings::TProgramSettings& HostProgramSettings() const
    {
        static const settings::TProgramSettings none;
        return none;
    }
    // The settings the chart is read from (profilora.ini, or the file
    // "/ini" names): the skew-T window keeps its range and place there, the
    // year window its height; null when there are none.
    virtual const settings::TProgramSettings* HostChartSettings() const { return nullptr; }
};
