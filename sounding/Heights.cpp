#include "sounding/Heights.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double Rd = 287.04;        // J/(kg K), dry air
constexpr double Gravity = 9.80665;  // m/s^2
constexpr double ZeroCelsius = 273.15;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

bool Known(float Value) { return Value != MissingValue && std::isfinite(Value); }

bool FitsSingle(double Value)
{
    return std::isfinite(Value) && std::fabs(Value) <= double(std::numeric_limits<float>::max());
}

// Virtual temperature in K of a level with a pressure (hPa); NaN without a
// temperature. Without a dew point the air counts as dry.
double VirtualTemperature(const TSoundingLevel& Level)
{
    if (!Known(Level.Temperature)) return NaN;
    const double t = double(Level.Temperature) + ZeroCelsius;
    if (!(t > 0)) return NaN;
    if (!Known(Level.DewPointDiff) || Level.DewPointDiff < 0) return t;
    const double td = double(Level.Temperature) - Level.DewPointDiff;
    if (!(td + 243.5 > 0)) return t;
    const double e = 6.112 * std::exp(17.67 * td / (td + 243.5));  // Bolton, hPa
    const double p = Level.Pressure;
    if (!(p - e > 0)) return t;
    const double w = 0.622 * e / (p - e);  // kg/kg
    return t * (1 + 0.61 * w);
}

// A level with a pressure, in the order of falling pressure (going up).
struct TNode {
    double LnP;
    double Tv;         // K; NaN until filled in
    double Thickness;  // m from the lowest node, by the hypsometric equation
    std::size_t Level;
    bool Reported;
};

// Nodes without a temperature take one interpolated in ln p between the
// nearest nodes that have one (the nearest one beyond the ends). False when
// no node has a temperature.
bool FillTemperatures(std::vector<TNode>& Nodes)
{
    std::size_t last = Nodes.size();  // the last node with a temperature so far
    for (std::size_t k = 0; k < Nodes.size(); ++k) {
        if (std::isnan(Nodes[k].Tv)) continue;
        for (std::size_t j = (last == Nodes.size() ? 0 : last + 1); j < k; ++j) {
            if (last == Nodes.size() || Nodes[k].LnP == Nodes[last].LnP) {
                Nodes[j].Tv = Nodes[k].Tv;
            } else {
                const double f = (Nodes[last].LnP - Nodes[j].LnP) / (Nodes[last].LnP - Nodes[k].LnP);
                Nodes[j].Tv = Nodes[last].Tv + f * (Nodes[k].Tv - Nodes[last].Tv);
            }
        }
        last = k;
    }
    if (last == Nodes.size()) return false;
    for (std::size_t j = last + 1; j < Nodes.size(); ++j) Nodes[j].Tv = Nodes[last].Tv;
    return true;
}

}  // namespace

void sounding::ComputeHeights(TSounding& Sounding)
{
    std::vector<TSoundingLevel>& levels = Sounding.Levels;
    // Most launches report a height at every level with a pressure: when
    // those levels also go strictly up, every altitude is the reported
    // height and nothing is reckoned.
    bool allReported = true;
    double lastPressure = std::numeric_limits<double>::infinity();
    for (TSoundingLevel& level : levels) {
        const bool reported = Known(level.Height);
        level.Altitude = reported ? level.Height : MissingValue;
        if (Known(level.Pressure) && level.Pressure > 0) {
            allReported = allReported && reported && level.Pressure < lastPressure;
            lastPressure = level.Pressure;
        }
    }
    if (allReported) return;
    std::vector<TNode> nodes;
    nodes.reserve(levels.size());
    for (std::size_t i = 0; i < levels.size(); ++i) {
        TSoundingLevel& level = levels[i];
        const bool reported = Known(level.Height);
        level.Altitude = reported ? level.Height : MissingValue;
        if (Known(level.Pressure) && level.Pressure > 0)
            nodes.push_back({std::log(double(level.Pressure)), VirtualTemperature(level), 0, i, reported});
    }
    // Pages may list their levels out of order.
    const auto upward = [](const TNode& A, const TNode& B) { return A.LnP > B.LnP; };
    if (!std::is_sorted(nodes.begin(), nodes.end(), upward)) std::stable_sort(nodes.begin(), nodes.end(), upward);
    if (!FillTemperatures(nodes)) return;
    for (std::size_t k = 1; k < nodes.size(); ++k)
        nodes[k].Thickness = nodes[k - 1].Thickness +
                             Rd / Gravity * 0.5 * (nodes[k - 1].Tv + nodes[k].Tv) * (nodes[k - 1].LnP - nodes[k].LnP);

    // A lowest reported height that the next one above contradicts (by more
    // than a tenth of the layer and 100 m) is not used when levels without a
    // height lie between them: a surface height extrapolated from far-off
    // levels would bend all their heights. That level is reckoned from above
    // like the others.
    const auto reported = [&](std::size_t From) {
        while (From < nodes.size() && !nodes[From].Reported) ++From;
        return From;
    };
    if (const std::size_t lowest = reported(0); lowest < nodes.size()) {
        std::size_t next = reported(lowest + 1);
        while (next < nodes.size() && nodes[next].LnP == nodes[lowest].LnP) next = reported(next + 1);
        if (next < nodes.size() && next > lowest + 1) {
            const double thickness = nodes[next].Thickness - nodes[lowest].Thickness;
            const double miss =
                double(levels[nodes[next].Level].Height) - levels[nodes[lowest].Level].Height - thickness;
            if (std::fabs(miss) > 100 + 0.1 * thickness) nodes[lowest].Reported = false;
        }
    }

    // Each node without a reported height is reckoned from the nearest
    // reported one below (above, when there is none below), and corrected to
    // meet the next one above: the miss is spread linearly in ln p.
    const std::size_t none = nodes.size();
    std::size_t below = none;
    std::size_t above = none;
    bool searched = false;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const TNode& node = nodes[k];
        if (node.Reported) {
            below = k;
            continue;
        }
        if (!searched || above < k) {
            searched = true;
            above = k + 1;
            while (above < nodes.size() && !nodes[above].Reported) ++above;
        }
        const std::size_t from = below != none ? below : above;
        if (from == none) return;  // no reported height at all
        const TNode& base = nodes[from];
        double height = double(levels[base.Level].Height) + (node.Thickness - base.Thickness);
        if (below != none && above != none) {
            const TNode& top = nodes[above];
            const double span = base.LnP - top.LnP;
            if (span > 0) {
                const double miss =
                    (double(levels[top.Level].Height) - levels[base.Level].Height) - (top.Thickness - base.Thickness);
                height += (base.LnP - node.LnP) / span * miss;
            }
        }
        if (FitsSingle(height)) levels[node.Level].Altitude = float(height);
    }
}

bool sounding::WantsStationElevation(const TSounding& Sounding)
{
    const std::vector<TSoundingLevel>& levels = Sounding.Levels;
    if (Sounding.Surface < 0 || std::size_t(Sounding.Surface) >= levels.size()) return false;
    const TSoundingLevel& surface = levels[std::size_t(Sounding.Surface)];
    if (Known(surface.Height) || !Known(surface.Pressure) || !(surface.Pressure > 0)) return false;
    return std::none_of(levels.begin(), levels.end(), [](const TSoundingLevel& Level) {
        return Known(Level.Height) && Known(Level.Pressure) && Level.Pressure > 500;
    });
}

void sounding::UseStationElevation(TSounding& Sounding, float Elevation)
{
    if (!WantsStationElevation(Sounding) || !Known(Elevation)) return;
    TSoundingLevel& surface = Sounding.Levels[std::size_t(Sounding.Surface)];
    surface.Height = Elevation;
    ComputeHeights(Sounding);
    surface.Height = MissingValue;
}
