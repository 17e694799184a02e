#include "app/ShownSet.h"

#include "platform/ReplaceFile.h"
#include "sounding/LapseRates.h"

namespace app {

std::vector<TSounding> SoundingsAt(const std::vector<TSounding>& Whole, const std::vector<int>& Places)
{
    std::vector<TSounding> kept;
    kept.reserve(Places.size());
    for (const int place : Places) kept.push_back(Whole[std::size_t(place)]);
    return kept;
}

const TSounding* TShownSet::SoundingAt(int Frame) const
{
    if (!movie_ || Frame < 0 || Frame >= movie_->Count()) return nullptr;
    return &movie_->Soundings[std::size_t(Frame)];
}

void TShownSet::ShowFrame(int Frame)
{
    frame_ = Frame;
    emit frameChanged();
}

void TShownSet::AskFrame(int Frame) const
{
    if (OnAskFrame) OnAskFrame(Frame);
}

void TShownSet::PageShown() { emit pageChanged(); }

std::string TShownSet::CaptionName() const
{
    const std::string name = platform::NameOf(name_.empty() ? pageFile_ : name_);
    const std::string range = range_.Text();
    return range.empty() ? name : name + " (" + range + ")";
}

const std::vector<TSounding>& TShownSet::WholeSet() const
{
    static const std::vector<TSounding> kNone;
    if (narrowed_) return whole_;
    return movie_ ? movie_->Soundings : kNone;
}

void TShownSet::ForgetRange()
{
    whole_.clear();
    whole_.shrink_to_fit();
    places_.clear();
    narrowed_ = false;
    range_.Clear();
}

void TShownSet::KeepWhole(std::vector<TSounding> Whole, std::vector<int> Places, const sounding::TDateRange& Range)
{
    whole_ = std::move(Whole);
    places_ = std::move(Places);
    narrowed_ = true;
    range_ = Range;
}

void TShownSet::Narrow(const sounding::TDateRange& Range)
{
    std::vector<int> places = Range.PlacesIn(WholeSet());
    std::vector<TSounding> kept = SoundingsAt(WholeSet(), places);
    if (!narrowed_) {
        whole_ = std::move(movie_->Soundings);
        narrowed_ = true;
    }
    places_ = std::move(places);
    range_ = Range;
    movie_->SetSoundings(std::move(kept));
}

int TShownSet::Widen()
{
    int current = 0;
    const int on = movie_->Current;
    if (on >= 0 && on < int(places_.size())) current = places_[std::size_t(on)];
    std::vector<TSounding> whole = std::move(whole_);
    ForgetRange();
    movie_->SetSoundings(std::move(whole));
    return current;
}

}  // namespace app
