#include "sounding/DateRange.h"

#include "sounding/SoundingSet.h"
#include "sounding/SoundingSources.h"

namespace sounding {

std::string TDateRange::Fault(const std::string& From, const std::string& To)
{
    for (const std::string* date : {&From, &To})
        if (!date->empty() && !IsDateText(*date)) return "\"" + *date + "\" is not a date YYYY-MM-DD";
    if (!From.empty() && !To.empty() && From > To) return "The range starts (" + From + ") after it ends (" + To + ")";
    return {};
}

bool TDateRange::Set(const std::string& From, const std::string& To)
{
    if (!Fault(From, To).empty()) return false;
    from_ = From;
    to_ = To;
    return true;
}

std::string TDateRange::Text() const { return DateRangeText(from_, to_); }

bool TDateRange::Contains(const TSounding& Sounding) const
{
    if (Whole()) return true;
    const TLaunchTime launch = LaunchOfTitle(Sounding.Title);
    return launch.Valid && (from_.empty() || launch.Date >= from_) && (to_.empty() || launch.Date <= to_);
}

std::vector<int> TDateRange::PlacesIn(const std::vector<TSounding>& Soundings) const
{
    std::vector<int> places;
    for (std::size_t i = 0; i < Soundings.size(); ++i)
        if (Contains(Soundings[i])) places.push_back(int(i));
    return places;
}

}  // namespace sounding
