#pragma once
// A range of launch days, "YYYY-MM-DD" at either end or open, and which
// launches of a set it keeps: the window's "Date Range...", a catalogue
// entry's range and the exporter's --from-date/--to-date all go by it.

#include "sounding/Sounding.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace sounding {

class TDateRange {
public:
    TDateRange() = default;

    // "" when From .. To is a range (each a date of the calendar or empty,
    // From not after To); else what is wrong with it, in a sentence.
    static std::string Fault(const std::string& From, const std::string& To);
    // Takes From .. To when it is a range; false (and the range kept) else.
    bool Set(const std::string& From, const std::string& To);
    void Clear()
    {
        from_.clear(), to_.clear();
        fromDay_.reset(), toDay_.reset();
    }

    const std::string& From() const { return from_; }
    const std::string& To() const { return to_; }
    // Both ends open: every launch, also one without a known launch.
    bool Whole() const { return from_.empty() && to_.empty(); }
    // "FROM..TO", or "" for the whole set.
    std::string Text() const;

    // Whether the sounding's launch day lies in the range; a sounding
    // without a known launch lies in the whole range only.
    bool Contains(const TSounding& Sounding) const;
    // Where the soundings in the range lie in Soundings, in order.
    std::vector<int> PlacesIn(const std::vector<TSounding>& Soundings) const;

private:
    std::string from_;
    std::string to_;
    // The days of from_ and to_; none for an open end.
    std::optional<std::chrono::year_month_day> fromDay_, toDay_;
};

}  // namespace sounding
