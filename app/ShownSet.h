#pragma once
// The soundings the main window shows, as the windows beside it see them:
// the set on show (and, while a date range narrows it, the whole set), the
// range, the name the caption gives it, the files it was read from and the
// frame on show. The main window keeps it up to date; the year, skew-T and
// indices windows and the trail follow its signals (app/Follower.h).

#include "sounding/DateRange.h"
#include "sounding/Sounding.h"

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class TLapseRates;

namespace app {

class TShownSet : public QObject {
    Q_OBJECT

public:
    TShownSet() = default;

    // The movie whose soundings are on show (the main window's); null
    // before the window has one.
    void SetMovie(TLapseRates* Movie) { movie_ = Movie; }
    const TLapseRates* Movie() const { return movie_; }
    // The sounding at Frame of the set on show; null when there is none.
    const TSounding* SoundingAt(int Frame) const;

    // The frame on show (the track bar's position).
    int Frame() const { return frame_; }
    // The window shows Frame (again, perhaps): the followers are told.
    void ShowFrame(int Frame);
    // A follower asks for Frame to be shown (a click in the year map, a
    // key in the skew-T window); the window moves its track bar there.
    void AskFrame(int Frame) const;
    std::function<void(int Frame)> OnAskFrame;

    // The window read a page or a set (also when it failed to): the
    // followers are told.
    void PageShown();

    // The page file the window read last (also one that failed): exported
    // files are named after it.
    const std::string& PageFile() const { return pageFile_; }
    void SetPageFile(const std::string& File) { pageFile_ = File; }
    // The files the set on show was read from.
    const std::vector<std::string>& Files() const { return files_; }
    void SetFiles(std::vector<std::string> Files) { files_ = std::move(Files); }
    // What the caption names: the page, "first + N more" files or a
    // catalogue entry; "" before a set was shown.
    const std::string& Name() const { return name_; }
    void SetName(const std::string& Name) { name_ = Name; }
    // The name followed by the range in force: "name (from..to)"; the page
    // file's name before a set was shown.
    std::string CaptionName() const;

    // The range of days on show; whole when none narrows the set.
    const sounding::TDateRange& Range() const { return range_; }
    bool Narrowed() const { return narrowed_; }
    // The whole set the range narrows (the set on show when none does).
    const std::vector<TSounding>& WholeSet() const;
    // Forgets the range and the whole set it narrowed.
    void ForgetRange();
    // A set was read and narrowed to Range: Whole is kept, and Places are
    // where the soundings on show lie in it.
    void KeepWhole(std::vector<TSounding> Whole, std::vector<int> Places, const sounding::TDateRange& Range);
    // Narrows the whole set to Range (which has soundings) and shows them.
    void Narrow(const sounding::TDateRange& Range);
    // Shows the whole set again; the frame in it of the launch on show.
    int Widen();

signals:
    void pageChanged();
    void frameChanged();

private:
    TLapseRates* movie_ = nullptr;
    int frame_ = 0;
    std::string pageFile_;
    std::vector<std::string> files_;
    std::string name_;
    sounding::TDateRange range_;
    bool narrowed_ = false;
    std::vector<TSounding> whole_;
    std::vector<int> places_;  // where each sounding on show lies in whole_
};

// Copies of the soundings at Places of Whole.
std::vector<TSounding> SoundingsAt(const std::vector<TSounding>& Whole, const std::vector<int>& Places);

}  // namespace app
