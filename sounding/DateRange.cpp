#include "sounding/DateRange.h"

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
    fromDay_ = DateOfText(From);
    toDay_ = DateOfText(To);
    return true;
}

std::string TDateRange::Text() const { return DateRangeText(from_, to_); }

bool TDateRange::Contains(const TSounding& Sounding) const
{
    if (Whole()) return true;
    const TLaunchKey& launch = Sounding.Launch;
    if (!launch.Known()) return false;
    const std::chrono::year_month_day day = launch.Date();
    return (!fromDay_ || day >= *fromDay_) && (!toDay_ || day <= *toDay_);
}

std::vector<int> TDateRange::PlacesIn(const std::vector<TSounding>& Soundings) const
{
    std::vector<int> places;
    for (std::size_t i = 0; i < Soundings.size(); ++i)
        if (Contains(Soundings[i])) places.push_back(int(i));
    return places;
}

}  // namespace sounding
