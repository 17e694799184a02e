#include "app/StationOpener.h"

#include "app/Application.h"
#include "app/ExtrasHost.h"
#include "app/ShownSet.h"
#include "app/StationDialog.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"

#include <QWidget>

#include <cstdlib>

namespace app {

namespace {

constexpr std::size_t kRecentCount = 10;
constexpr char kRecentSection[] = "Recent stations";

void Tell(const std::string& Text, platform::MsgIcon Icon = platform::MsgIcon::Error)
{
    platform::prompts().MessageBox(Text, ProgramTitle(), platform::MsgButtons::OK, Icon);
}

}  // namespace

TStationOpener::TStationOpener(IExtrasHost& Host, const settings::TProgramSettings& Settings)
    : host_(Host), settings_(Settings)
{
    setObjectName("StationOpener");
    fetch_.OnProgress = [this](std::uint64_t Done, std::optional<std::uint64_t> Total) { Progressed(Done, Total); };
}

TStationOpener::~TStationOpener()
{
    fetch_.OnFinished = nullptr;
    fetch_.OnProgress = nullptr;
    fetch_.Cancel();
}

std::string TStationOpener::RecentFile()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base = xdg && xdg[0] == '/' ? std::string(xdg)
                                            : std::string(std::getenv("HOME") ? std::getenv("HOME") : "") + "/.config";
    if (base.back() != '/') base += '/';
    return base + "profilora/stations.ini";
}

std::string TStationOpener::BundledList()
{
    return platform::DirectoryOf(platform::system().ProgramPath()) + download::kStationListName;
}

void TStationOpener::ReadStationList()
{
    // A list downloaded by "Update Station List" wins; the bundled one is
    // the fallback.
    list_ = {};
    listPath_.clear();
    const std::string cache = download::CacheDirectory();
    for (const std::string& path :
         {cache.empty() ? std::string() : cache + download::kStationListName, BundledList()}) {
        if (path.empty()) continue;
        std::string text;
        platform::FileError error;
        if (!platform::files().ReadAll(path, text, error)) continue;
        sounding::TStationList list = sounding::ReadStationList(text);
        if (!sounding::LooksLikeStationList(list)) continue;
        list_ = std::move(list);
        listPath_ = path;
        break;
    }
    listRead_ = true;
    if (dialog_) dialog_->SetStations(&list_.Stations);
}

void TStationOpener::ReadRecent()
{
    recent_.clear();
    std::string text;
    platform::FileError error;
    if (!platform::files().ReadAll(RecentFile(), text, error)) return;
    TjtINI_Document recent;
    recent.ParseWholeText(std::move(text));
    const T_jt_ini_Records* records = recent.FindSection(kRecentSection);
    if (!records) return;
    for (const T_jt_ini_Record& r : *records) {
        if (recent_.size() >= kRecentCount) break;
        const std::string entry = r.Value.str();
        const std::size_t space = entry.find(' ');
        if (space != std::string::npos && download::IsStationId(entry.substr(0, space)) &&
            download::PeriodOfSwitch(entry.substr(space + 1)))
            recent_.push_back(entry);
    }
}

void TStationOpener::AddRecent(const std::string& Entry)
{
    std::erase(recent_, Entry);
    recent_.insert(recent_.begin(), Entry);
    if (recent_.size() > kRecentCount) recent_.resize(kRecentCount);
    std::string text = "[" + std::string(kRecentSection) + "]\n";
    for (std::size_t i = 0; i < recent_.size(); ++i) text += std::to_string(i + 1) + "=" + recent_[i] + "\n";
    std::string error;
    // A list that cannot be kept costs nothing but the list.
    if (download::MakeDirectory(platform::DirectoryOf(RecentFile()), error)) {
        platform::FileError ignored;
        platform::ReplaceFile(RecentFile(), text, ignored);
    }
    if (dialog_) dialog_->SetRecent(recent_);
}

void TStationOpener::Show()
{
    if (!dialog_) {
        dialog_ = std::make_unique<TStationDialog>(&host_.HostWindow());
        dialog_->setWindowFlag(Qt::Window, true);
        dialog_->OnOpen = [this](const std::string& Id, download::TPeriod Period, bool Keep) {
            OpenStation(Id, Period, Keep);
        };
        dialog_->OnUpdateList = [this] { UpdateStationList(); };
        dialog_->OnClearCache = [this] { ClearDownloadCache(); };
    }
    if (!listRead_) ReadStationList();
    ReadRecent();
    dialog_->SetStations(&list_.Stations);
    dialog_->SetRecent(recent_);
    dialog_->SetDateRange(host_.HostShownSet().Range().From(), host_.HostShownSet().Range().To());
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    if (list_.Stations.empty())
        Tell("The station list cannot be read (" + BundledList() + "); \"Update Station List\" downloads it.");
}

download::TStationRequest TStationOpener::Request() const
{
    download::TStationRequest request;
    request.Base = settings_.IgraBase();
    return request;
}

std::string TStationOpener::StationName(const std::string& Id) const
{
    for (const sounding::TStation& s : list_.Stations)
        if (s.Id == Id) return s.Name;
    return {};
}

void TStationOpener::StartProgress(const std::string& Text)
{
    progress_ = platform::prompts().ShowTransfer(Text);
    progress_->OnCancel = [this] { fetch_.Cancel(); };
    clock_.start();
    lastShown_ = -1;
}

void TStationOpener::Progressed(std::uint64_t Done, std::optional<std::uint64_t> Total)
{
    if (!progress_) return;
    // Ten times a second is enough for the eye.
    const qint64 now = clock_.elapsed();
    if (lastShown_ >= 0 && now - lastShown_ < 100 && !(Total && Done == *Total)) return;
    lastShown_ = now;
    progress_->SetProgress(Total && *Total > 0 ? double(Done) / double(*Total) : -1.0,
                           download::ProgressText(Done, Total, double(now) / 1000.0));
}

void TStationOpener::OpenStation(const std::string& Id, download::TPeriod Period, bool KeepRange)
{
    if (fetch_.Running()) return;  // one download at a time; its window is open
    download::TStationRequest request = Request();
    request.Id = Id;
    request.Period = Period;
    const std::string name = StationName(Id);
    const std::string what =
        (name.empty() ? Id : name + " (" + Id) + ", " + download::PeriodText(Period) + (name.empty() ? "" : ")");
    if (dialog_) dialog_->hide();
    StartProgress("Downloading " + what + "...");
    fetch_.OnFinished = [this, Id, Period, KeepRange, what](const download::TFetchResult& Result) {
        progress_.reset();
        if (Result.Cancelled) return;
        if (!Result.Ok) {
            Tell(Result.Message);
            // Back to the dialog as it was, to try again or choose another.
            if (dialog_) {
                dialog_->show();
                dialog_->raise();
                dialog_->activateWindow();
            }
            return;
        }
        AddRecent(Id + " " + download::PeriodSwitch(Period));
        const std::string caption = what + (Result.Offline ? " (offline copy of " + Result.CopyDate + ")" : "");
        RunHandler([&] { host_.HostOpenStationFile(Result.Path, caption, KeepRange); });
        // The copy plays; what went wrong beside it is told once.
        if (!Result.Offline && !Result.Message.empty()) Tell(Result.Message, platform::MsgIcon::Warning);
    };
    fetch_.Start(request);
}

void TStationOpener::UpdateStationList()
{
    if (fetch_.Running()) return;
    StartProgress("Downloading the station list...");
    fetch_.OnFinished = [this](const download::TFetchResult& Result) {
        progress_.reset();
        if (Result.Cancelled) return;
        if (!Result.Ok || Result.Offline) {
            Tell(Result.Ok ? "The station list cannot be downloaded now: " + Result.Message : Result.Message);
            return;
        }
        ReadStationList();
        Tell("The station list holds " + std::to_string(list_.Stations.size()) + " stations" +
                 (Result.Revalidated ? " and is up to date." : "."),
             platform::MsgIcon::Information);
    };
    fetch_.StartList(Request());
}

void TStationOpener::ClearDownloadCache()
{
    fetch_.Cancel();
    std::string directory, error;
    if (!download::FindCacheDirectory(directory, error) || !download::ClearCache(directory, error)) {
        Tell("Cannot clear the download cache: " + error + ".");
        return;
    }
    ReadStationList();
    Tell("The download cache (" + directory + ") is empty.", platform::MsgIcon::Information);
}

}  // namespace app
