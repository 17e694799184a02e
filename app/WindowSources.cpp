// The window's station files: IGRA v2 station files and Wyoming pages read
// by the station-file readers, several files played as one movie, catalogue
// entries with wildcards or a date range, and the "Date Range..." command
// that narrows the soundings on show.

#include "app/Application.h"
#include "app/Profilora_frm.h"
#include "components/jtSysUtils.h"
#include "download/StationElevations.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "sounding/LapseRates.h"
#include "sounding/SoundingSet.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>

#include "app/WindowExtras.h"
#include "components/jtFile_IO.h"
#include "components/jtINI_File.h"

namespace {

using app::Q;
using app::SoundingsAt;

void Tell(const std::string& Text)
{
    platform::prompts().MessageBox(Text, app::ProgramTitle(), platform::MsgButtons::OK, platform::MsgIcon::Error);
}

std::string NoSoundingsText(const std::string& From, const std::string& To)
{
    return "There are no soundings from " + (From.empty() ? std::string("the first") : From) + " to " +
           (To.empty() ? std::string("the last") : To);
}

}  // namespace

void TForm1::HostShowDateRange() { DateRange_ActionClick(this); }

std::string TForm1::Sounding_Path(const std::string& AFilename) const
{
    if (!jt::ExtractFilePath(AFilename).empty()) return AFilename;
    return jt::IncludeTrailingPathDelimiter(jtFile_IO_html->Directory()) + AFilename;
}

void TForm1::HostOpenPages(const std::vector<std::string>& Paths) { Open_Files(Paths); }

void TForm1::HostOpenStationFile(const std::string& Path, const std::string& Name, bool KeepRange)
{
    // Copies: the load forgets the range before it sets the new one.
    const std::string from = KeepRange ? ShownSet.Range().From() : std::string();
    const std::string to = KeepRange ? ShownSet.Range().To() : std::string();
    Name_UIComboBox->setCurrentIndex(-1);
    Load_Station_Files({Path}, Name, from, to);
}

void TForm1::Open_Files(const std::vector<std::string>& Paths)
{
    if (Paths.empty()) return;
    if (Paths.size() == 1) {
        jtFile_IO1Open(jtFile_IO1, Paths.front());
        return;
    }
    Name_UIComboBox->setCurrentIndex(-1);
    Load_Station_Files(Paths, platform::NameOf(Paths.front()) + " + " + std::to_string(Paths.size() - 1) + " more");
}

void TForm1::Open_Catalogue_Entry(const std::string& Name, const std::string& Value)
{
    std::string from;
    std::string to;
    // Values other than a date range were never read; they stay ignored.
    if (!sounding::ParseDateRange(Value, from, to)) from.clear(), to.clear();
    if (HasWildcard(Name)) {
        const std::string full = Sounding_Path(Name);
        const std::vector<std::string> files = MatchingFiles(jt::ExtractFilePath(full), jt::ExtractFileName(full));
        if (files.empty()) {
            Tell("No file matches " + Name);
            return;
        }
        Load_Station_Files(files, Name, from, to);
        return;
    }
    if (from.empty() && to.empty()) {
        Load_Sounding_File(Name);
        return;
    }
    Load_Station_Files({Sounding_Path(Name)}, Name, from, to);
}

void TForm1::Load_Station_Files(const std::vector<std::string>& Paths, const std::string& Name, const std::string& From,
                                const std::string& To)
{
    const app::TBusyCursor busy;

    const std::uint64_t serial = ++loadSerial_;
    const bool playing = Animate_CheckBox->isChecked();
    Animate_CheckBox->setChecked(false);
    // Read on a thread of its own while the window goes on; a cancelled
    // read leaves the set on show as it was.
    std::optional<TSoundingSet> read = StationReads.Run<TSoundingSet>(
        "Reading " + Name + "...", [Paths] { return ReadSoundingFiles(Paths, {}, download::StationElevations()); });
    if (!read) {
        Animate_CheckBox->setChecked(playing);
        return;
    }
    TSoundingSet& set = *read;
    if (set.Ok() && set.Soundings.empty()) set.Unknown = true;
    std::vector<TSounding> shown;
    std::vector<int> places;
    sounding::TDateRange range;
    range.Set(From, To);
    if (set.Ok() && !range.Whole()) {
        places = range.PlacesIn(set.Soundings);
        shown = SoundingsAt(set.Soundings, places);
        if (shown.empty()) {
            Tell(NoSoundingsText(From, To) + " in " + Name);
            Animate_CheckBox->setChecked(playing);
            return;
        }
    }
    if (!set.Ok() || set.Unknown) {
        // The window keeps the soundings it shows.
        std::string falseArchive;
        for (const std::string& path : Paths)
            if (set.Unknown && falseArchive.empty()) falseArchive = FalseArchiveText(path);
        if (!falseArchive.empty())
            Tell(falseArchive);
        else if (set.Unknown)
            platform::prompts().MessageBox(kMissingDataText, kMissingDataCaption, platform::MsgButtons::OK,
                                           platform::MsgIcon::None);
        else
            Tell("Cannot read " + set.Error);
        Animate_CheckBox->setChecked(playing);
        return;
    }
    // A load started meanwhile (from another window) has the last word.
    if (serial != loadSerial_) {
        Animate_CheckBox->setChecked(playing);
        return;
    }
    ShownSet.ForgetRange();
    if (!range.Whole()) {
        ShownSet.KeepWhole(std::move(set.Soundings), std::move(places), range);
        set.Soundings = std::move(shown);
    }
    // The names the window's additions give exported files follow the file.
    jtFile_IO_html->SetFilename(Paths.front());
    ShownSet.SetPageFile(jtFile_IO_html->Filename());
    ShownSet.SetName(Name);
    ShownSet.SetFiles(Paths);
    LapseRates->SetSoundings(std::move(set.Soundings));
    Show_Loaded_Set();
    // Launches with a damaged line were left out: one message for all.
    if (set.Skipped > 0) {
        std::string text = std::to_string(set.Skipped) + (set.Skipped == 1 ? " launch" : " launches") + " skipped";
        const std::size_t shownWarnings = std::min<std::size_t>(set.Warnings.size(), 5);
        for (std::size_t i = 0; i < shownWarnings; ++i) text += "\r\n" + set.Warnings[i];
        if (set.Warnings.size() > shownWarnings) text += "\r\n...";
        platform::prompts().MessageBox(text, app::ProgramTitle(), platform::MsgButtons::OK, platform::MsgIcon::Warning);
    }
}

void TForm1::Show_Loaded_Set()
{
    TrackBar1->SetMax(LapseRates->Count() - 1);
    TrackBar1->SetFrequency(TrackBar1->Max() / 12 + 1);
    // The windows beside this one (the year window) follow the set on show.
    ShownSet.PageShown();
    if (LapseRates->Count() < 1) return;
    const std::string range = ShownSet.Range().Text();
    setWindowTitle(Q("Profilora - " + ShownSet.Name() + (range.empty() ? std::string() : " (" + range + ")")));
    Animate_CheckBox->setChecked(true);
}

void TForm1::DateRange_ActionClick(QObject*)
{
    if (!LapseRates || (LapseRates->Count() < 1 && !ShownSet.Narrowed())) return;
    std::string from = ShownSet.Range().From();
    std::string to = ShownSet.Range().To();
    // A range that cannot be shown is told while the dialog stays open.
    const auto check = [this](const std::string& From, const std::string& To) { return DateRangeFault(From, To); };
    if (!platform::prompts().CheckedDateRangeDialog(from, to, check, app::ProgramTitle())) return;
    SetDateRange(from, to);
}

std::string TForm1::DateRangeFault(const std::string& From, const std::string& To) const
{
    sounding::TDateRange range;
    if (!range.Set(From, To)) return sounding::TDateRange::Fault(From, To);
    if (range.Whole()) return "";
    if (range.PlacesIn(ShownSet.WholeSet()).empty()) return NoSoundingsText(From, To);
    return "";
}

void TForm1::SetDateRange(const std::string& From, const std::string& To)
{
    if (const std::string fault = DateRangeFault(From, To); !fault.empty()) {
        Tell(fault);
        return;
    }
    if (From.empty() && To.empty() && !ShownSet.Narrowed()) return;
    const bool playing = Animate_CheckBox->isChecked();
    Animate_CheckBox->setChecked(false);
    int current = 0;
    if (From.empty() && To.empty()) {
        // The whole set comes back, at the launch on show.
        current = ShownSet.Widen();
    } else {
        sounding::TDateRange range;
        range.Set(From, To);
        ShownSet.Narrow(range);
    }
    // A page keeps its caption's name.
    if (ShownSet.Name().empty()) ShownSet.SetName(jtFile_IO_html->Filename());
    LapseRates->Current = current;
    Show_Loaded_Set();
    Show_Frame_Info();
    if (!playing) Animate_CheckBox->setChecked(false);
}
