#include "analysis/Kinematics.h"

#include "analysis/Indices.h"
#include "sounding/Heights.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sounding {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kBunkersDeviation = 7.5;  // m/s

// The levels with a wind, from the surface up, heights strictly rising.
struct TWinds {
    std::vector<double> H, U, V;

    std::size_t Size() const { return H.size(); }
};

std::size_t SurfaceIndex(const TSounding& Sounding)
{
    return Sounding.Surface >= 0 && std::size_t(Sounding.Surface) < Sounding.Levels.size()
               ? std::size_t(Sounding.Surface)
               : 0;
}

bool HasWind(const TSoundingLevel& L) { return L.WindDirection != MissingValue && L.WindSpeed != MissingValue; }

// The winds of Sounding above the surface at Ground (m), up to the first
// level at or above Top m above it; none when the surface level has no
// wind. A level no higher than the one before is left out.
void CollectWinds(const TSounding& Sounding, double Ground, double Top, TWinds& Out)
{
    Out.H.clear(), Out.U.clear(), Out.V.clear();
    const std::size_t first = SurfaceIndex(Sounding);
    if (first >= Sounding.Levels.size() || !HasWind(Sounding.Levels[first])) return;
    for (std::size_t i = first; i < Sounding.Levels.size() && !(Out.H.size() > 0 && Out.H.back() >= Top); ++i) {
        const TSoundingLevel& l = Sounding.Levels[i];
        const float z = LevelHeight(l);
        if (!HasWind(l) || z == MissingValue) continue;
        const double h = i == first ? 0.0 : double(z) - Ground;
        if (!Out.H.empty() && !(h > Out.H.back())) continue;
        const double rad = double(l.WindDirection) * M_PI / 180.0;
        Out.H.push_back(h);
        Out.U.push_back(-double(l.WindSpeed) * std::sin(rad));
        Out.V.push_back(-double(l.WindSpeed) * std::cos(rad));
    }
}

// The wind at H m above ground; NaN outside the levels with a wind.
TWindVector WindAt(const TWinds& W, double H)
{
    if (W.Size() == 0 || !(H >= 0) || H > W.H.back()) return {kNaN, kNaN};
    const std::size_t k = std::size_t(std::lower_bound(W.H.begin(), W.H.end(), H) - W.H.begin());
    if (W.H[k] == H) return {W.U[k], W.V[k]};
    const double f = (H - W.H[k - 1]) / (W.H[k] - W.H[k - 1]);
    return {W.U[k - 1] + f * (W.U[k] - W.U[k - 1]), W.V[k - 1] + f * (W.V[k] - W.V[k - 1])};
}

bool Known(const TWindVector& W) { return !std::isnan(W.U) && !std::isnan(W.V); }

// Calls Visit(height, wind) for the points of the layer Bottom..Top: the
// interpolated bottom, every level with a wind strictly inside, the
// interpolated top. False, visiting nothing, when an end is not known.
template <typename F>
bool ForLayer(const TWinds& W, double Bottom, double Top, F&& Visit)
{
    const TWindVector bottom = WindAt(W, Bottom), top = WindAt(W, Top);
    if (!Known(bottom) || !Known(top) || Top < Bottom) return false;
    Visit(Bottom, bottom);
    const std::size_t from = std::size_t(std::upper_bound(W.H.begin(), W.H.end(), Bottom) - W.H.begin());
    for (std::size_t k = from; k < W.Size() && W.H[k] < Top; ++k) Visit(W.H[k], TWindVector{W.U[k], W.V[k]});
    Visit(Top, top);
    return true;
}

std::optional<TWindVector> MeanWind(const TWinds& W, double Bottom, double Top)
{
    double su = 0, sv = 0, ph = 0;
    TWindVector pw;
    bool first = true;
    const bool known = ForLayer(W, Bottom, Top, [&](double H, const TWindVector& V) {
        if (!first) {
            su += (H - ph) * (pw.U + V.U) / 2;
            sv += (H - ph) * (pw.V + V.V) / 2;
        }
        first = false;
        ph = H, pw = V;
    });
    if (!known || !(Top > Bottom)) return std::nullopt;
    return TWindVector{su / (Top - Bottom), sv / (Top - Bottom)};
}

std::optional<double> BulkShear(const TWinds& W, double Bottom, double Top)
{
    const TWindVector b = WindAt(W, Bottom), t = WindAt(W, Top);
    if (!Known(b) || !Known(t)) return std::nullopt;
    return std::hypot(t.U - b.U, t.V - b.V);
}

std::optional<double> Helicity(const TWinds& W, double Bottom, double Top, const std::optional<TWindVector>& Motion)
{
    if (!Motion) return std::nullopt;
    double sum = 0, pu = 0, pv = 0;
    bool first = true;
    const bool known = ForLayer(W, Bottom, Top, [&](double, const TWindVector& V) {
        const double u = V.U - Motion->U, v = V.V - Motion->V;
        if (!first) sum += u * pv - pu * v;
        first = false;
        pu = u, pv = v;
    });
    return known ? std::optional<double>(sum) : std::nullopt;
}

void StormMotion(const TWinds& W, TKinematics& K)
{
    const std::optional<TWindVector> low = MeanWind(W, 0, 500), high = MeanWind(W, 5500, 6000);
    if (!K.MeanWind0To6 || !low || !high) return;
    const double su = high->U - low->U, sv = high->V - low->V;
    const double s = std::hypot(su, sv);
    if (!(s > 0)) return;
    const double du = kBunkersDeviation * sv / s, dv = -kBunkersDeviation * su / s;
    K.StormRight = TWindVector{K.MeanWind0To6->U + du, K.MeanWind0To6->V + dv};
    K.StormLeft = TWindVector{K.MeanWind0To6->U - du, K.MeanWind0To6->V - dv};
}

void Composites(const TIndices& X, const TInflowParcels& P, double Ground, TKinematics& K)
{
    const std::optional<double>& sbCape = X.SurfaceBased.Cape;
    if (sbCape && P.SurfaceLclHeight && K.Srh0To1 && K.BulkShear0To6) {
        const double lcl = *P.SurfaceLclHeight - Ground;
        const double lclTerm = lcl < 1000 ? 1.0 : lcl > 2000 ? 0.0 : (2000 - lcl) / 1000;
        const double shear = *K.BulkShear0To6;
        const double shearTerm = shear < 12.5 ? 0.0 : shear > 30 ? 1.5 : shear / 20;
        K.StpFixed = *sbCape / 1500 * lclTerm * (*K.Srh0To1 / 150) * shearTerm;
    }
    if (!K.EffectiveBase) {
        K.Scp = 0.0;
    } else if (X.MostUnstable.Cape && K.EffectiveSrh && K.EffectiveBulkShear) {
        const double shear = *K.EffectiveBulkShear;
        const double shearTerm = shear < 10 ? 0.0 : shear > 20 ? 1.0 : shear / 20;
        K.Scp = *X.MostUnstable.Cape / 1000 * (*K.EffectiveSrh / 50) * shearTerm;
    }
}

}  // namespace

double TWindVector::Speed() const { return std::hypot(U, V); }

double TWindVector::Direction() const
{
    if (!(Speed() > 0)) return 0;
    const double d = std::atan2(-U, -V) * 180.0 / M_PI;
    return d < 0 ? d + 360.0 : d;
}

std::optional<double> SurfaceHeight(const TSounding& Sounding)
{
    if (Sounding.Levels.empty()) return std::nullopt;
    const float z = LevelHeight(Sounding.Levels[SurfaceIndex(Sounding)]);
    return z == MissingValue ? std::nullopt : std::optional<double>(z);
}

std::vector<TWindPoint> WindProfile(const TSounding& Sounding, double Top, std::span<const double> Marks)
{
    std::vector<TWindPoint> out;
    const std::optional<double> ground = SurfaceHeight(Sounding);
    if (!ground) return out;
    TWinds w;
    CollectWinds(Sounding, *ground, Top, w);
    if (w.Size() == 0) return out;
    for (std::size_t k = 0; k < w.Size() && w.H[k] < Top; ++k) out.push_back({w.H[k], w.U[k], w.V[k]});
    auto mark = [&](double H) {
        const TWindVector v = WindAt(w, H);
        if (Known(v)) out.push_back({H, v.U, v.V});
    };
    for (double m : Marks)
        if (m > 0 && m < Top) mark(m);
    if (Top > 0) mark(Top);
    std::stable_sort(out.begin(), out.end(),
                     [](const TWindPoint& A, const TWindPoint& B) { return A.Height < B.Height; });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const TWindPoint& A, const TWindPoint& B) { return A.Height == B.Height; }),
              out.end());
    return out;
}

std::optional<double> StormRelativeHelicity(const TSounding& Sounding, double Bottom, double Top,
                                            const TWindVector& Motion)
{
    const std::optional<double> ground = SurfaceHeight(Sounding);
    if (!ground) return std::nullopt;
    TWinds w;
    CollectWinds(Sounding, *ground, Top, w);
    return Helicity(w, Bottom, Top, Motion);
}

TKinematics ComputeKinematics(const TSounding& Sounding, const TIndices& Indices)
{
    return ComputeKinematics(Sounding, Indices, InflowParcels(Sounding, Indices));
}

TKinematics ComputeKinematics(const TSounding& Sounding, const TIndices& Indices, const TInflowParcels& Parcels)
{
    TKinematics k;
    const std::optional<double> ground = SurfaceHeight(Sounding);
    if (!ground) return k;
    // The winds as high as a layer reaches: 6 km, or half way to the
    // most-unstable equilibrium level from the effective inflow layer.
    std::optional<double> base, shearTop;
    if (Parcels.EffectiveBase && Parcels.EffectiveTop) {
        base = *Parcels.EffectiveBase - *ground;
        if (Parcels.MostUnstableElHeight) shearTop = *base + (*Parcels.MostUnstableElHeight - *ground - *base) / 2;
    }
    thread_local TWinds w;
    CollectWinds(Sounding, *ground, std::max(6000.0, shearTop.value_or(0.0)), w);
    k.BulkShear0To1 = BulkShear(w, 0, 1000);
    k.BulkShear0To3 = BulkShear(w, 0, 3000);
    k.BulkShear0To6 = BulkShear(w, 0, 6000);
    k.MeanWind0To6 = MeanWind(w, 0, 6000);
    StormMotion(w, k);
    k.Srh0To1 = Helicity(w, 0, 1000, k.StormRight);
    k.Srh0To3 = Helicity(w, 0, 3000, k.StormRight);
    if (base) {
        k.EffectiveBase = base;
        k.EffectiveTop = *Parcels.EffectiveTop - *ground;
        k.EffectiveSrh = Helicity(w, *base, *k.EffectiveTop, k.StormRight);
        if (shearTop) k.EffectiveBulkShear = BulkShear(w, *base, *shearTop);
    }
    Composites(Indices, Parcels, *ground, k);
    return k;
}

}  // namespace sounding
