#pragma once
// "Open Station...": the station dialog, the download of the chosen
// station's file into the cache (with a progress window; the window goes on
// playing), and the file then shown as the window shows station files. A
// failed download is told in words, the page on show stays and the dialog
// comes back with its search as it was. Also the
// station list (the bundled one, or a newer one downloaded into the cache)
// and the ten stations opened last.

#include "components/ProgramSettings.h"
#include "download/StationFetch.h"
#include "sounding/StationList.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <string>
#include <vector>

class IExtrasHost;

namespace platform {
class TransferProgress;
}

namespace app {

class TStationDialog;

class TStationOpener : public QObject {
public:
    // Settings: the program's settings, which outlive the opener.
    TStationOpener(IExtrasHost& Host, const settings::TProgramSettings& Settings);
    ~TStationOpener() override;

    // Shows the dialog (not modal), reading the station list first.
    void Show();
    TStationDialog* Dialog() const { return dialog_.get(); }

    // The dialog's commands.
    void OpenStation(const std::string& Id, download::TPeriod Period, bool KeepRange);
    void UpdateStationList();
    void ClearDownloadCache();
    bool Downloading() const { return fetch_.Running(); }

    // The stations read, and where from.
    const std::vector<sounding::TStation>& Stations() const { return list_.Stations; }
    const std::string& ListPath() const { return listPath_; }
    // The last ten stations opened ("<id> <por|y2d>"), newest first.
    const std::vector<std::string>& Recent() const { return recent_; }

    // Where the program keeps the recent stations:
    // $XDG_CONFIG_HOME/profilora/stations.ini (default ~/.config/...).
    static std::string RecentFile();
    // The bundled list beside the program.
    static std::string BundledList();

private:
    void ReadStationList();
    void ReadRecent();
    void AddRecent(const std::string& Entry);
    download::TStationRequest Request() const;
    void StartProgress(const std::string& Text);
    void Progressed(std::uint64_t Done, std::optional<std::uint64_t> Total);
    std::string StationName(const std::string& Id) const;

    IExtrasHost& host_;
    const settings::TProgramSettings& settings_;
    std::unique_ptr<TStationDialog> dialog_;
    download::TStationFetch fetch_;
    std::unique_ptr<platform::TransferProgress> progress_;
    QElapsedTimer clock_;
    qint64 lastShown_ = -1;
    sounding::TStationList list_;
    std::string listPath_;
    bool listRead_ = false;
    std::vector<std::string> recent_;
};

}  // namespace app
