#include "analysis/Climatology.h"

#include "analysis/DerivedLevels.h"
#include "analysis/Indices.h"
#include "analysis/Quantities.h"
#include "sounding/Heights.h"
#include "sounding/SoundingSources.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <exception>
#include <iterator>
#include <limits>
#include <set>
#include <thread>

namespace sounding {

namespace {

constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
constexpr int kProfileSeries = 2 * kClimateHeights;
// The first day of each month in a year without Feb 29, less one.
constexpr int kMonthStart[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool Known(float V) { return V != MissingValue && std::isfinite(V); }

// 0 or 1 for the groups 0 and 12; -1 for another number.
int GroupSlot(int Group) { return Group == 0 ? 0 : Group == 12 ? 1 : -1; }

// Day D (1..365) moved by Shift days around the year.
int DayAround(int D, int Shift) { return ((D - 1 + Shift) % kClimateDays + kClimateDays) % kClimateDays + 1; }

TClimateCell CellOf(const float* Sorted, std::size_t Count)
{
    TClimateCell cell;
    cell.Count = std::int32_t(Count);
    for (std::size_t k = 0; k < kClimatePercentiles.size(); ++k)
        cell.P[k] =
            Count >= std::size_t(kClimateMinCount) ? float(Percentile(Sorted, Count, kClimatePercentiles[k])) : kNone;
    return cell;
}

TClimateCell EmptyCell()
{
    TClimateCell cell;
    cell.P.fill(kNone);
    return cell;
}

// A point of one quantity's profile.
struct TPoint {
    float Height;
    float Pressure;
    float Value;
};

double Rounded(double V, int Decimals)
{
    const double scale = std::pow(10.0, Decimals);
    return std::round(V * scale) / scale;
}

// A column's value as the CSV gives it; NaN for none.
float ColumnValue(std::optional<double> V, int Decimals)
{
    return V && std::isfinite(*V) ? float(Rounded(*V, Decimals)) : kNone;
}

}  // namespace

int LaunchGroup(const TLaunchKey& Launch)
{
    int hour = Launch.Hour;
    if (hour == 99) hour = Launch.Release >= 0 ? Launch.Release / 100 : -1;
    if (hour < 0 || hour > 23) return -1;
    return hour >= 6 && hour <= 17 ? 12 : 0;
}

int ClimateDay(int Month, int Day)
{
    if (Month < 1 || Month > 12 || Day < 1 || Day > kMonthDays[Month - 1]) return 0;
    if (Month == 2 && Day == 29) return 59;
    return kMonthStart[Month - 1] + Day;
}

int ClimateDayDistance(int A, int B)
{
    const int d = std::abs(A - B) % kClimateDays;
    return std::min(d, kClimateDays - d);
}

double Percentile(const float* Sorted, std::size_t Count, double P)
{
    const double position = double(Count - 1) * P;
    const std::size_t below = std::size_t(std::floor(position));
    const std::size_t above = std::min(below + 1, Count - 1);
    const double f = position - double(below);
    return double(Sorted[below]) + f * (double(Sorted[above]) - double(Sorted[below]));
}

int ClimateColumnCount() { return int(IndexQuantities().size() + LevelQuantities().size()); }

std::string ClimateColumnName(int Column)
{
    const int indices = int(IndexQuantities().size());
    if (Column < 0 || Column >= ClimateColumnCount()) return "";
    return Column < indices ? IndexQuantities()[std::size_t(Column)].Column
                            : LevelQuantities()[std::size_t(Column - indices)].Column;
}

int ClimateColumnOf(std::string_view Name)
{
    for (int c = 0; c < ClimateColumnCount(); ++c)
        if (ClimateColumnName(c) == Name) return c;
    return -1;
}

int ClimateColumnDecimals(int Column)
{
    const int indices = int(IndexQuantities().size());
    if (Column < 0 || Column >= ClimateColumnCount()) return 0;
    return Column < indices ? IndexQuantities()[std::size_t(Column)].Decimals
                            : LevelQuantities()[std::size_t(Column - indices)].Decimals;
}

void ProfileValues(const TSounding& Sounding, TProfileQuantity Quantity, float* Out)
{
    std::fill(Out, Out + kClimateHeights, kNone);
    // Nothing below the surface the file marks.
    float floor = -std::numeric_limits<float>::infinity();
    if (Sounding.Surface >= 0 && std::size_t(Sounding.Surface) < Sounding.Levels.size()) {
        const float z = LevelHeight(Sounding.Levels[std::size_t(Sounding.Surface)]);
        if (Known(z)) floor = z;
    }
    thread_local std::vector<TPoint> points;
    points.clear();
    for (const TSoundingLevel& l : Sounding.Levels) {
        const float z = LevelHeight(l);
        if (!Known(z) || z < floor || !Known(l.Temperature)) continue;
        if (Quantity == TProfileQuantity::Temperature)
            points.push_back({z, l.Pressure, l.Temperature});
        else if (Known(l.DewPointDiff))
            points.push_back({z, l.Pressure, l.Temperature - l.DewPointDiff});
    }
    // By height; at one height the higher pressure first (a missing one last).
    const auto lower = [](const TPoint& A, const TPoint& B) {
        if (A.Height != B.Height) return A.Height < B.Height;
        const float a = Known(A.Pressure) ? A.Pressure : -1, b = Known(B.Pressure) ? B.Pressure : -1;
        return a > b;
    };
    // Most files list their levels upwards already.
    if (!std::is_sorted(points.begin(), points.end(), lower)) std::sort(points.begin(), points.end(), lower);
    points.erase(std::unique(points.begin(), points.end(),
                             [](const TPoint& A, const TPoint& B) { return A.Height == B.Height; }),
                 points.end());
    std::size_t upper = 0;
    for (int h = 0; h < kClimateHeights; ++h) {
        const double z = ClimateHeight(h);
        while (upper < points.size() && points[upper].Height < z) ++upper;
        if (upper >= points.size()) break;
        const TPoint& b = points[upper];
        if (b.Height == z) {
            Out[h] = b.Value;
            continue;
        }
        if (upper == 0) continue;
        const TPoint& a = points[upper - 1];
        if (double(b.Height) - a.Height > kClimateMaxGap) continue;
        const double f = (z - a.Height) / (double(b.Height) - a.Height);
        Out[h] = float(a.Value + f * (double(b.Value) - a.Value));
    }
}

// Builds a climatology in three steps: every launch's values in a row, the
// values of each (group, series) bucketed by day, and the 31-day window slid
// over the year.
class TClimatologyBuilder {
public:
    TClimatologyBuilder(const std::vector<TSounding>& Soundings, int Threads)
        : soundings_(Soundings), threads_(std::max(1, Threads))
    {
        columns_ = ClimateColumnCount();
        series_ = kProfileSeries + columns_;
    }

    TClimatology Build()
    {
        Place();
        Rows();
        c_.columns_ = columns_;
        c_.profile_.assign(std::size_t(kClimateGroups) * kProfileSeries * kClimateDays, EmptyCell());
        c_.column_.assign(std::size_t(kClimateGroups) * columns_ * kClimateDays, EmptyCell());
        c_.dayStart_.assign(std::size_t(kClimateGroups) * columns_ * (kClimateDays + 1), 0);
        columnValues_.resize(std::size_t(kClimateGroups) * columns_);
        std::atomic<int> next{0};
        Parallel([&](int) {
            std::vector<float> scratch[2];
            for (int job; (job = next++) < kClimateGroups * series_;) Series(job / series_, job % series_, scratch);
        });
        KeepColumnValues();
        rows_.clear();
        rows_.shrink_to_fit();
        return std::move(c_);
    }

private:
    // Runs Work(thread) on every thread; what one of them throws is thrown
    // on here once all have ended.
    template <typename Work>
    void Parallel(Work&& W)
    {
        std::vector<std::exception_ptr> failures(static_cast<std::size_t>(threads_));
        const auto guarded = [&](int T) {
            try {
                W(T);
            } catch (...) {
                failures[std::size_t(T)] = std::current_exception();
            }
        };
        std::vector<std::thread> others;
        for (int t = 1; t < threads_; ++t) others.emplace_back(guarded, t);
        guarded(0);
        for (std::thread& t : others) t.join();
        for (const std::exception_ptr& f : failures)
            if (f) std::rethrow_exception(f);
    }

    // Which launches take part, their group and day, in day order per group.
    void Place()
    {
        std::set<int> years;
        for (std::size_t i = 0; i < soundings_.size(); ++i) {
            const TLaunchKey& key = soundings_[i].Launch;
            const int slot = GroupSlot(LaunchGroup(key)), day = ClimateDay(key);
            if (slot < 0 || day == 0) continue;
            used_.push_back({std::uint32_t(i), std::uint16_t(day), std::uint8_t(slot)});
            ++c_.groupLaunches_[std::size_t(slot)];
            years.insert(key.Year);
        }
        c_.launches_ = int(used_.size());
        c_.years_ = int(years.size());
        if (!years.empty()) c_.firstYear_ = *years.begin(), c_.lastYear_ = *years.rbegin();
        // Each group's launches together, in day order.
        std::stable_sort(used_.begin(), used_.end(), [](const TUsed& A, const TUsed& B) {
            return A.Slot != B.Slot ? A.Slot < B.Slot : A.Day < B.Day;
        });
        groupFirst_[0] = 0;
        groupFirst_[1] = std::size_t(c_.groupLaunches_[0]);
        groupFirst_[2] = used_.size();
    }

    // Every used launch's values: the profiles, then the columns.
    void Rows()
    {
        rows_.assign(used_.size() * std::size_t(series_), kNone);
        std::atomic<std::size_t> next{0};
        Parallel([&](int) {
            std::vector<TProfilePoint> buffer;
            constexpr std::size_t kChunk = 64;
            for (std::size_t first; (first = next.fetch_add(kChunk)) < used_.size();)
                for (std::size_t r = first; r < std::min(first + kChunk, used_.size()); ++r) Row(r, buffer);
        });
    }

    void Row(std::size_t R, std::vector<TProfilePoint>& Buffer)
    {
        const TSounding& s = soundings_[used_[R].Sounding];
        // The launch's values lie a series apart: each series is one run.
        const std::size_t stride = used_.size();
        float profile[kClimateHeights];
        for (const TProfileQuantity q : {TProfileQuantity::Temperature, TProfileQuantity::DewPoint}) {
            ProfileValues(s, q, profile);
            for (int h = 0; h < kClimateHeights; ++h)
                rows_[(std::size_t(q) * kClimateHeights + std::size_t(h)) * stride + R] = profile[h];
        }
        std::size_t at = std::size_t(kProfileSeries) * stride + R;
        const TIndices x = ComputeIndices(s);
        for (const TIndexQuantity& q : IndexQuantities()) rows_[at] = ColumnValue(q.Of(x), q.Decimals), at += stride;
        const TDerivedLevels d = DeriveLevels(s, Buffer);
        for (const TLevelQuantity& q : LevelQuantities()) rows_[at] = ColumnValue(q.Of(d), q.Decimals), at += stride;
    }

    // The values of (group slot G, series S) in day order, ascending within a
    // day; Start[d - 1] .. Start[d] the values of day d.
    void DayValues(int G, int S, std::vector<float>& Values, std::uint32_t* Start) const
    {
        Values.clear();
        int day = 0;
        const float* series = &rows_[std::size_t(S) * used_.size()];
        for (std::size_t r = groupFirst_[G]; r < groupFirst_[G + 1]; ++r) {
            const float v = series[r];
            if (std::isnan(v)) continue;
            while (day < used_[r].Day) Start[day++] = std::uint32_t(Values.size());
            Values.push_back(v);
        }
        while (day <= kClimateDays) Start[day++] = std::uint32_t(Values.size());
        for (int d = 1; d <= kClimateDays; ++d) std::sort(Values.begin() + Start[d - 1], Values.begin() + Start[d]);
    }

    // The kept values of the columns, for the ranks, one after the other.
    void KeepColumnValues()
    {
        std::size_t total = 0;
        for (const std::vector<float>& v : columnValues_) total += v.size();
        c_.values_.reserve(total);
        for (std::size_t k = 0; k < columnValues_.size(); ++k) {
            const auto base = std::uint32_t(c_.values_.size());
            for (int d = 0; d <= kClimateDays; ++d) c_.dayStart_[k * (kClimateDays + 1) + std::size_t(d)] += base;
            c_.values_.insert(c_.values_.end(), columnValues_[k].begin(), columnValues_[k].end());
            std::vector<float>().swap(columnValues_[k]);
        }
    }

    // The cells of one (group slot, series): the window of day 1, then one
    // day out and one day in at each step.
    void Series(int G, int S, std::vector<float> (&Scratch)[2])
    {
        if (c_.groupLaunches_[std::size_t(G)] == 0) return;
        const bool column = S >= kProfileSeries;
        const std::size_t k = std::size_t(G * columns_ + S - kProfileSeries);
        std::vector<float>& values = column ? columnValues_[k] : Scratch[0];
        std::uint32_t own[kClimateDays + 1];
        std::uint32_t* start = column ? &c_.dayStart_[k * (kClimateDays + 1)] : own;
        DayValues(G, S, values, start);
        std::vector<float>& window = Scratch[1];
        window.clear();
        for (int shift = -kClimateHalfWindow; shift <= kClimateHalfWindow; ++shift) {
            const int d = DayAround(1, shift);
            window.insert(window.end(), values.begin() + start[d - 1], values.begin() + start[d]);
        }
        std::sort(window.begin(), window.end());
        for (int d = 1; d <= kClimateDays; ++d) {
            if (d > 1) {
                const int out = DayAround(d, -kClimateHalfWindow - 1), in = DayAround(d, kClimateHalfWindow);
                Slide(window, values.data() + start[out - 1], values.data() + start[out], values.data() + start[in - 1],
                      values.data() + start[in]);
            }
            Cell(G, S, d) = CellOf(window.data(), window.size());
        }
    }

    // The first of First .. Last not below V, searched from the front with
    // growing steps: the next change of a window lies a few values on.
    static const float* Gallop(const float* First, const float* Last, float V)
    {
        const std::size_t n = std::size_t(Last - First);
        std::size_t low = 0, high = 1;
        while (high <= n && First[high - 1] < V) low = high, high *= 2;
        return std::lower_bound(First + low, First + std::min(high, n), V);
    }

    // Window (ascending) without the values Out .. OutEnd (ascending, all
    // in it) and with the values In .. InEnd (ascending): the runs between
    // the changes copied whole.
    static void Slide(std::vector<float>& Window, const float* Out, const float* OutEnd, const float* In,
                      const float* InEnd)
    {
        thread_local std::vector<float> next;
        next.resize(Window.size() + std::size_t(InEnd - In));
        const float* from = Window.data();
        const float* end = from + Window.size();
        float* to = next.data();
        while (Out < OutEnd || In < InEnd) {
            const bool leaving = Out < OutEnd && (In == InEnd || *Out <= *In);
            const float v = leaving ? *Out++ : *In++;
            const float* at = Gallop(from, end, v);
            to = std::copy(from, at, to);
            from = at;
            if (!leaving)
                *to++ = v;
            else if (from < end && *from == v)
                ++from;
        }
        to = std::copy(from, end, to);
        next.resize(std::size_t(to - next.data()));
        Window.swap(next);
    }

    TClimateCell& Cell(int G, int S, int Day)
    {
        if (S < kProfileSeries) return c_.profile_[(std::size_t(G * kProfileSeries + S)) * kClimateDays + Day - 1];
        return c_.column_[std::size_t(G * columns_ + S - kProfileSeries) * kClimateDays + Day - 1];
    }

    struct TUsed {
        std::uint32_t Sounding;
        std::uint16_t Day;
        std::uint8_t Slot;
    };

    const std::vector<TSounding>& soundings_;
    int threads_;
    int columns_ = 0;
    int series_ = 0;
    std::vector<TUsed> used_;
    std::size_t groupFirst_[kClimateGroups + 1] = {};
    // Series after series, each the used launches in their order.
    std::vector<float> rows_;
    // Per (group slot, column) its values in day order, ascending within a day.
    std::vector<std::vector<float>> columnValues_;
    TClimatology c_;
};

TClimatology BuildClimatology(const std::vector<TSounding>& Soundings, int Threads)
{
    return TClimatologyBuilder(Soundings, Threads).Build();
}

int TClimatology::GroupLaunches(int Group) const
{
    const int slot = GroupSlot(Group);
    return slot < 0 ? 0 : groupLaunches_[std::size_t(slot)];
}

TClimateCell TClimatology::Profile(int Group, TProfileQuantity Quantity, int Day, int HeightIndex) const
{
    const int slot = GroupSlot(Group);
    if (slot < 0 || Day < 1 || Day > kClimateDays || HeightIndex < 0 || HeightIndex >= kClimateHeights ||
        profile_.empty())
        return EmptyCell();
    const std::size_t series = std::size_t(slot * kProfileSeries + int(Quantity) * kClimateHeights + HeightIndex);
    return profile_[series * kClimateDays + std::size_t(Day - 1)];
}

TClimateCell TClimatology::ProfileAt(int Group, TProfileQuantity Quantity, int Day, double Height) const
{
    const double row = Height / kClimateHeightStep;
    if (!(row >= 0) || row > kClimateHeights - 1) return EmptyCell();
    const int below = int(std::floor(row));
    const TClimateCell a = Profile(Group, Quantity, Day, below);
    if (double(below) == row) return a;
    const TClimateCell b = Profile(Group, Quantity, Day, below + 1);
    TClimateCell cell = EmptyCell();
    cell.Count = std::min(a.Count, b.Count);
    if (!a.Valid() || !b.Valid()) return cell;
    const double f = row - below;
    for (std::size_t k = 0; k < cell.P.size(); ++k) cell.P[k] = a.P[k] + f * (b.P[k] - a.P[k]);
    return cell;
}

TClimateCell TClimatology::Column(int Group, int Column, int Day) const
{
    const int slot = GroupSlot(Group);
    if (slot < 0 || Column < 0 || Column >= columns_ || Day < 1 || Day > kClimateDays) return EmptyCell();
    return column_[std::size_t(slot * columns_ + Column) * kClimateDays + std::size_t(Day - 1)];
}

std::optional<double> TClimatology::Rank(int Group, int Column, int Day, double Value) const
{
    const TClimateCell cell = this->Column(Group, Column, Day);
    if (!cell.Valid() || !std::isfinite(Value)) return std::nullopt;
    const std::size_t k = std::size_t(GroupSlot(Group) * columns_ + Column) * (kClimateDays + 1);
    double below = 0, equal = 0;
    const float v = float(Value);
    for (int shift = -kClimateHalfWindow; shift <= kClimateHalfWindow; ++shift) {
        const int d = DayAround(Day, shift);
        const float* first = values_.data() + dayStart_[k + std::size_t(d) - 1];
        const float* last = values_.data() + dayStart_[k + std::size_t(d)];
        const float* low = std::lower_bound(first, last, v);
        below += double(low - first);
        equal += double(std::upper_bound(low, last, v) - low);
    }
    return 100.0 * (below + equal / 2) / cell.Count;
}

namespace {

constexpr char kMagic[8] = {'P', 'R', 'F', 'C', 'L', 'I', 'M', '1'};

// The columns the file was made with: a build with other columns makes
// another climatology.
std::string ColumnNames()
{
    std::string names;
    for (int c = 0; c < ClimateColumnCount(); ++c) (names += ClimateColumnName(c)) += ',';
    return names;
}

template <typename T>
void Put(std::string& Out, const T& V)
{
    Out.append(reinterpret_cast<const char*>(&V), sizeof V);
}

template <typename T>
void PutVector(std::string& Out, const std::vector<T>& V)
{
    Put(Out, std::uint64_t(V.size()));
    Out.append(reinterpret_cast<const char*>(V.data()), V.size() * sizeof(T));
}

// Reads from the front of Bytes; false when they end first.
template <typename T>
bool Take(std::string_view& Bytes, T& V)
{
    if (Bytes.size() < sizeof V) return false;
    std::memcpy(&V, Bytes.data(), sizeof V);
    Bytes.remove_prefix(sizeof V);
    return true;
}

template <typename T>
bool TakeVector(std::string_view& Bytes, std::vector<T>& V, std::uint64_t Expected)
{
    std::uint64_t n = 0;
    if (!Take(Bytes, n) || n != Expected || Bytes.size() / sizeof(T) < n) return false;
    V.resize(std::size_t(n));
    std::memcpy(V.data(), Bytes.data(), std::size_t(n) * sizeof(T));
    Bytes.remove_prefix(std::size_t(n) * sizeof(T));
    return true;
}

}  // namespace

std::string TClimatology::Serialize() const
{
    std::string out(kMagic, sizeof kMagic);
    for (const int v : {launches_, firstYear_, lastYear_, years_, groupLaunches_[0], groupLaunches_[1], columns_})
        Put(out, std::int32_t(v));
    const std::string names = ColumnNames();
    Put(out, std::uint32_t(names.size()));
    out += names;
    PutVector(out, profile_);
    PutVector(out, column_);
    PutVector(out, dayStart_);
    PutVector(out, values_);
    return out;
}

std::optional<TClimatology> TClimatology::Deserialize(std::string_view Bytes)
{
    if (Bytes.size() < sizeof kMagic || Bytes.substr(0, sizeof kMagic) != std::string_view(kMagic, sizeof kMagic))
        return std::nullopt;
    Bytes.remove_prefix(sizeof kMagic);
    TClimatology c;
    std::int32_t v[7];
    for (std::int32_t& x : v)
        if (!Take(Bytes, x)) return std::nullopt;
    std::uint32_t length = 0;
    if (!Take(Bytes, length) || Bytes.size() < length || Bytes.substr(0, length) != ColumnNames()) return std::nullopt;
    Bytes.remove_prefix(length);
    c.launches_ = v[0], c.firstYear_ = v[1], c.lastYear_ = v[2], c.years_ = v[3];
    c.groupLaunches_ = {v[4], v[5]};
    c.columns_ = v[6];
    if (c.columns_ != ClimateColumnCount()) return std::nullopt;
    const std::uint64_t columnCells = std::uint64_t(kClimateGroups) * std::uint64_t(c.columns_);
    std::uint64_t values = 0;
    if (!TakeVector(Bytes, c.profile_, std::uint64_t(kClimateGroups) * kProfileSeries * kClimateDays) ||
        !TakeVector(Bytes, c.column_, columnCells * kClimateDays) ||
        !TakeVector(Bytes, c.dayStart_, columnCells * (kClimateDays + 1)) || !Take(Bytes, values) ||
        Bytes.size() != values * sizeof(float))
        return std::nullopt;
    c.values_.resize(std::size_t(values));
    std::memcpy(c.values_.data(), Bytes.data(), Bytes.size());
    // Every day's range must lie inside the values, in order.
    for (std::size_t k = 0; k < c.dayStart_.size(); ++k)
        if (c.dayStart_[k] > values || (k % (kClimateDays + 1) != 0 && c.dayStart_[k] < c.dayStart_[k - 1]))
            return std::nullopt;
    return c;
}

std::size_t TClimatology::MemoryBytes() const
{
    return sizeof(*this) + profile_.capacity() * sizeof(TClimateCell) + column_.capacity() * sizeof(TClimateCell) +
           values_.capacity() * sizeof(float) + dayStart_.capacity() * sizeof(std::uint32_t);
}

}  // namespace sounding
