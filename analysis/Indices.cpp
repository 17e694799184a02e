#include "analysis/Indices.h"

#include "sounding/Heights.h"
#include "analysis/Thermo.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace sounding {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kRd = 287.04;        // J/(kg K), gas constant of dry air
constexpr double kGravity = 9.80665;  // m/s2
constexpr double kKnot = 0.514444;    // m/s
constexpr double kEpsilon = 0.62197;  // molar mass of water over that of dry air
const double kLn1000 = std::log(1000.0);
constexpr double kMixedDepth = 500;         // m, the mixed layer the lifted parcel comes from
constexpr double kShearDepth = 6000;        // m, the layer of the bulk Richardson number's mean wind
constexpr double kMostUnstableDepth = 300;  // hPa above the surface searched for the most unstable parcel
// Winds are interpolated, and averaged, only between levels at most this far
// apart (the 700 and 500 hPa standard levels): across a longer gap the wind
// is not known.
constexpr double kMaxWindGap = 200;  // hPa
// What a level's parcel needs to belong to the effective inflow layer.
constexpr double kInflowCape = 100;  // J/kg, at least
constexpr double kInflowCin = -250;  // J/kg, at least

double Value(float V) { return V == MissingValue ? kNaN : double(V); }

// The levels that take part, from the surface up: a pressure and a
// temperature, pressure strictly falling. Columns a level lacks are NaN.
struct TProfile {
    std::vector<double> P, LnP, T, Td, Tv, Z, U, V;
    // The equivalent potential temperature (K) of the levels with a dew
    // point in the lowest 300 hPa, where the most unstable parcel is sought;
    // NaN elsewhere.
    std::vector<double> ThetaE;
    // What rules a lifted parcel out at a level without lifting it there.
    // The logarithm of the saturated equivalent potential temperature,
    // f(T) = ln thetaEs(T), rises with T at a rate of at most 1/T plus a
    // moisture term that grows with T. So a saturated parcel whose ln thetaE
    // lies below LnThetaEs (f at the air's temperature) by more than
    // RuleOut is colder than the air by more than MostMoisture, the most its
    // moisture can add to its virtual temperature there: it is not buoyant,
    // plain or virtual. NaN where it cannot be told.
    std::vector<double> LnThetaEs, RuleOut, MostMoisture;

    std::size_t Size() const { return P.size(); }
};

// The rule-out values of a level at T (C) and P (hPa), LnRatio = ln(1000 / P).
void AddRuleOut(double T, double P, double LnRatio, TProfile& Out)
{
    const double tk = T + kZeroCelsius;
    const double ws = MixingRatio(T, P);  // g/kg
    if (std::isnan(ws)) {
        for (auto* v : {&Out.LnThetaEs, &Out.RuleOut, &Out.MostMoisture}) v->push_back(kNaN);
        return;
    }
    const double a = 3.376 / tk - 0.00254;
    const double b = T + 243.5;
    const double r = ws / 1000.0;
    const double e = r * P / (kEpsilon + r);
    const double dws = ws * P / (P - e) * 17.67 * 243.5 / (b * b);  // d ws / dT
    // The moisture term of f'(T), with room for its slight fall in a.
    const double m = 1.2 * a * (1.0 + 0.00162 * ws) * dws;
    const double most = (1.0 - kEpsilon) / kEpsilon * tk * r + 0.05;
    Out.LnThetaEs.push_back(std::log(tk) + kKappa * (1.0 - 0.00028 * ws) * LnRatio + a * ws * (1.0 + 0.00081 * ws));
    // With f' <= 1/T + m on the way down to the parcel, a gap g below the
    // air's TK takes at most -ln(1 - g/TK) + m g of ln thetaEs.
    Out.MostMoisture.push_back(most);
    // -ln(1 - x) <= x + x^2/2 + x^3 for x up to 1/2.
    const double x = most / tk;
    Out.RuleOut.push_back(x <= 0.5 ? x + x * x / 2 + x * x * x + m * most : kNaN);
}

// Winds is false when no wind will be wanted (their columns stay NaN).
void BuildProfile(const TSounding& Sounding, TProfile& Out, bool Winds = true)
{
    for (auto* v : {&Out.P, &Out.LnP, &Out.T, &Out.Td, &Out.Tv, &Out.Z, &Out.U, &Out.V, &Out.ThetaE, &Out.LnThetaEs,
                    &Out.RuleOut, &Out.MostMoisture}) {
        v->clear();
        v->reserve(Sounding.Levels.size());
    }
    const std::size_t first = Sounding.Surface >= 0 ? std::size_t(Sounding.Surface) : 0;
    bool windsDone = !Winds;
    for (std::size_t i = first; i < Sounding.Levels.size(); ++i) {
        const TSoundingLevel& l = Sounding.Levels[i];
        const double p = Value(l.Pressure), t = Value(l.Temperature);
        if (!(p > 0) || std::isnan(t) || (!Out.P.empty() && !(p < Out.P.back()))) continue;
        const double spread = Value(l.DewPointDiff);
        const double dir = Value(l.WindDirection), speed = Value(l.WindSpeed);
        const double z = Value(sounding::LevelHeight(l));
        Out.P.push_back(p);
        Out.LnP.push_back(std::log(p));
        Out.T.push_back(t);
        Out.Td.push_back(spread >= 0 ? t - spread : kNaN);
        Out.Tv.push_back(VirtualTemperature(t, Out.Td.back(), p));
        const bool low = p >= Out.P.front() - kMostUnstableDepth && !std::isnan(Out.Td.back());
        Out.ThetaE.push_back(low ? EquivalentPotentialTemperature(t, Out.Td.back(), p) : kNaN);
        AddRuleOut(t, p, kLn1000 - Out.LnP.back(), Out);
        Out.Z.push_back(z);
        // Winds count up to the first level 6 km above the surface (up to
        // 200 hPa without heights): the bulk Richardson number's layer,
        // which holds the 850 and 500 hPa levels of the SWEAT index.
        const bool wind = dir >= 0 && dir <= 360 && speed >= 0 && !windsDone;
        if (wind && (Out.Z.empty() || std::isnan(Out.Z.front()) ? p < 200 : z >= Out.Z.front() + kShearDepth))
            windsDone = true;
        const double rad = dir * M_PI / 180.0;
        Out.U.push_back(wind ? -speed * std::sin(rad) : kNaN);
        Out.V.push_back(wind ? -speed * std::cos(rad) : kNaN);
    }
}

// The value of Column at pressure P: the level's own at a level, else
// linear in ln p between the nearest levels around P that have one, when
// they lie at most MaxGap hPa apart; NaN outside them.
double ValueAt(const TProfile& Profile, const std::vector<double>& Column, double P, double MaxGap = 1e9)
{
    const double lnp = std::log(P);
    std::size_t below = Profile.Size();
    for (std::size_t i = 0; i < Profile.Size(); ++i) {
        if (std::isnan(Column[i])) continue;
        if (Profile.P[i] == P) return Column[i];
        if (Profile.P[i] > P) {
            below = i;
            continue;
        }
        if (below == Profile.Size() || Profile.P[below] - Profile.P[i] > MaxGap) return kNaN;
        const double f = (lnp - Profile.LnP[below]) / (Profile.LnP[i] - Profile.LnP[below]);
        return Column[below] + f * (Column[i] - Column[below]);
    }
    return kNaN;
}

// The height of 1000 hPa: from the profile, else the one a page gives it
// below the ground.
double Height1000(const TSounding& Sounding, const TProfile& Profile)
{
    const double z = ValueAt(Profile, Profile.Z, 1000);
    if (!std::isnan(z) || Sounding.Height1000BelowGround == TSounding::kNoHeight || Profile.Size() == 0 ||
        !(Profile.P[0] < 1000))
        return z;
    return Sounding.Height1000BelowGround;
}

std::optional<double> Optional(double V) { return std::isnan(V) ? std::nullopt : std::optional<double>(V); }

// Pressure-weighted means over the mixed layer, from the surface to 500 m
// above it (its top placed in ln p between the levels around it): of the
// temperature and the dew point (the lifted parcel's start, at the
// mid-layer pressure), and of the potential temperature and the mixing
// ratio. Only levels with a height, a temperature and a dew point take part.
struct TLayerMean {
    bool Valid = false;
    double BottomPressure = 0, TopPressure = 0;
    double MeanT = 0, MeanTd = 0, MeanTheta = 0, MeanW = 0;
};

TLayerMean MixedLayer(const TProfile& Profile)
{
    TLayerMean out;
    if (Profile.Size() == 0 || std::isnan(Profile.Z[0]) || std::isnan(Profile.Td[0])) return out;
    const double top = Profile.Z[0] + kMixedDepth;
    double sumP = 0, sumT = 0, sumTd = 0, sumTheta = 0, sumW = 0;
    double pp = Profile.P[0], pt = Profile.T[0], ptd = Profile.Td[0], pz = Profile.Z[0];
    double pth = PotentialTemperature(pt, pp), pw = MixingRatio(ptd, pp);
    for (std::size_t i = 1; i < Profile.Size(); ++i) {
        if (std::isnan(Profile.Z[i]) || std::isnan(Profile.Td[i]) || !(Profile.Z[i] > pz)) continue;
        double p = Profile.P[i], t = Profile.T[i], td = Profile.Td[i];
        const bool last = Profile.Z[i] >= top;
        if (last) {
            // The top's place between the levels, in ln p as the heights go.
            const double f = (top - pz) / (Profile.Z[i] - pz);
            p = std::exp(std::log(pp) + f * (Profile.LnP[i] - std::log(pp)));
            t = pt + f * (t - pt);
            td = ptd + f * (td - ptd);
        }
        const double th = PotentialTemperature(t, p), w = MixingRatio(td, p);
        const double dp = pp - p;
        sumP += dp;
        sumT += dp * (pt + t) / 2;
        sumTd += dp * (ptd + td) / 2;
        sumTheta += dp * (pth + th) / 2;
        sumW += dp * (pw + w) / 2;
        if (last) {
            out.Valid = sumP > 0 && !std::isnan(sumW);
            out.BottomPressure = Profile.P[0];
            out.TopPressure = p;
            out.MeanT = sumT / sumP;
            out.MeanTd = sumTd / sumP;
            out.MeanTheta = sumTheta / sumP;
            out.MeanW = sumW / sumP;
            return out;
        }
        pp = p, pt = t, ptd = td, pz = Profile.Z[i], pth = th, pw = w;
    }
    return out;
}

// Where a parcel starts.
struct TStart {
    bool Valid = false;
    double P = 0, T = 0, Td = 0;
    std::size_t FirstLevel = 0;  // the lowest level its buoyancy is reckoned from
};

TStart StartOf(const TProfile& Profile, TParcelKind Kind)
{
    TStart s;
    if (Profile.Size() == 0) return s;
    switch (Kind) {
    case TParcelKind::MixedLayer: {
        const TLayerMean m = MixedLayer(Profile);
        if (!m.Valid) return s;
        s = {true, (m.BottomPressure + m.TopPressure) / 2, m.MeanT, m.MeanTd, 0};
        break;
    }
    case TParcelKind::SurfaceBased:
        if (std::isnan(Profile.Td[0])) return s;
        s = {true, Profile.P[0], Profile.T[0], Profile.Td[0], 0};
        break;
    case TParcelKind::MostUnstable: {
        double best = -1;
        for (std::size_t i = 0; i < Profile.Size() && Profile.P[i] >= Profile.P[0] - kMostUnstableDepth; ++i) {
            if (std::isnan(Profile.Td[i])) continue;
            const double te = Profile.ThetaE[i];
            if (te > best) {
                best = te;
                s = {true, Profile.P[i], Profile.T[i], Profile.Td[i], i};
            }
        }
        break;
    }
    }
    if (s.Valid && s.Td > s.T) s.Td = s.T;
    return s;
}

// A lifted parcel beside the air it rises through, at the levels from its
// first one up, with the LCL among them.
struct TPath {
    std::vector<double> P, LnP, Tp, Tvp, Te, Tve;
    // Below the air by at least this much (K), plain and virtual, where the
    // parcel is ruled out without lifting it; NaN elsewhere.
    std::vector<double> Below, BelowVirtual;
    std::vector<char> Exact;

    void Clear()
    {
        for (auto* v : {&P, &LnP, &Tp, &Tvp, &Te, &Tve, &Below, &BelowVirtual}) v->clear();
        Exact.clear();
    }
};

// The buoyancy (K) of a lifted parcel along its path.
struct TBuoyancy {
    std::vector<double> P, LnP, B;
};

struct TLift {
    double LclP = kNaN, LclT = kNaN, ThetaE = kNaN, LnThetaE = kNaN, Theta = kNaN, W = kNaN;
};

TLift LiftOf(const TStart& S)
{
    TLift l;
    const TLcl lcl = LiftingCondensationLevel(S.T, S.Td, S.P);
    l.LclP = std::min(lcl.Pressure, S.P);
    l.LclT = lcl.Temperature;
    l.ThetaE = EquivalentPotentialTemperature(S.T, S.Td, S.P);
    l.LnThetaE = std::log(l.ThetaE);
    l.Theta = PotentialTemperature(S.T, S.P);
    l.W = MixingRatio(S.Td, S.P);
    return l;
}

// The last two points (ln p, T) of a parcel's saturated adiabat, which
// start the search for the next one.
struct TGuess {
    int N = 0;  // points known, the newest last
    double LnP1 = 0, T1 = 0, LnP2 = 0, T2 = 0;
};

// Virtual temperature (C) of air at T whose mixing ratio is W (g/kg).
double VirtualOfMixingRatio(double T, double W)
{
    const double r = W / 1000.0;
    return (T + kZeroCelsius) * (1.0 + r / kEpsilon) / (1.0 + r) - kZeroCelsius;
}

// The parcel's temperature and virtual temperature at P.
void ParcelAt(const TLift& L, double P, double LnP, TGuess& Guess, double& T, double& Tv)
{
    if (P >= L.LclP) {
        T = L.Theta * std::exp(kKappa * (LnP - kLn1000)) - kZeroCelsius;
        Tv = VirtualOfMixingRatio(T, L.W);
        return;
    }
    const double guess = Guess.N == 0 ? L.LclT
                         : Guess.N == 1
                             ? Guess.T2
                             : Guess.T2 + (Guess.T2 - Guess.T1) * (LnP - Guess.LnP2) / (Guess.LnP2 - Guess.LnP1);
    double w = kNaN;
    T = SaturatedTemperatureLn(L.LnThetaE, P, kLn1000 - LnP, guess, &w);
    Tv = VirtualOfMixingRatio(T, w);
    if (std::isnan(T) || (Guess.N > 0 && LnP == Guess.LnP2)) return;
    Guess.LnP1 = Guess.LnP2, Guess.T1 = Guess.T2;
    Guess.LnP2 = LnP, Guess.T2 = T;
    Guess.N = std::min(Guess.N + 1, 2);
}

// Lifts the parcel through the levels from its first one up, the LCL among
// them. Where the air rules the parcel out (well above the tropopause, in a
// dry stable layer) and it matters neither for the CIN below the LFC nor for
// a crossing next to it, the parcel is not lifted there: it is set below the
// air by as much as the rule guarantees, which counts in no positive area.
void TracePath(const TProfile& Profile, const TStart& S, const TLift& L, double Top, TPath& Out)
{
    Out.Clear();
    auto level = [&](double P, double LnP, double Te, double Tve, double LnThetaEs, double RuleOut,
                     double MostMoisture) {
        Out.P.push_back(P);
        Out.LnP.push_back(LnP);
        Out.Te.push_back(Te);
        Out.Tve.push_back(Tve);
        const bool out = P < L.LclP && LnThetaEs - L.LnThetaE > RuleOut;
        Out.Below.push_back(out ? MostMoisture : kNaN);
        Out.BelowVirtual.push_back(out ? 0.05 : kNaN);
    };
    for (std::size_t i = S.FirstLevel; i < Profile.Size() && Profile.P[i] >= Top; ++i) {
        if (i > S.FirstLevel && Profile.P[i - 1] > L.LclP && Profile.P[i] < L.LclP) {
            const double lnp = std::log(L.LclP);
            const double f = (lnp - Profile.LnP[i - 1]) / (Profile.LnP[i] - Profile.LnP[i - 1]);
            const double te = Profile.T[i - 1] + f * (Profile.T[i] - Profile.T[i - 1]);
            const double tde = Profile.Td[i - 1] + f * (Profile.Td[i] - Profile.Td[i - 1]);
            level(L.LclP, lnp, te, std::isnan(tde) ? te : VirtualTemperature(te, tde, L.LclP), kNaN, kNaN, kNaN);
        }
        level(Profile.P[i], Profile.LnP[i], Profile.T[i], Profile.Tv[i], Profile.LnThetaEs[i], Profile.RuleOut[i],
              Profile.MostMoisture[i]);
    }
    const std::size_t n = Out.P.size();
    Out.Tp.assign(n, kNaN);
    Out.Tvp.assign(n, kNaN);
    Out.Exact.assign(n, 0);
    TGuess guess;
    auto lift = [&](std::size_t I) {
        ParcelAt(L, Out.P[I], Out.LnP[I], guess, Out.Tp[I], Out.Tvp[I]);
        Out.Exact[I] = 1;
    };
    const auto ruledOut = [&](std::size_t I) { return !std::isnan(Out.Below[I]); };
    for (std::size_t i = 0; i < n; ++i)
        if (!ruledOut(i) || (i > 0 && !ruledOut(i - 1)) || (i + 1 < n && !ruledOut(i + 1))) lift(i);
    // Up to the level of free convection every level counts for the CIN:
    // the higher of the two, plain and virtual, when there are both.
    std::size_t lfcPlain = n, lfcVirtual = n;
    for (std::size_t i = 0; i < n; ++i) {
        if (!Out.Exact[i] || Out.P[i] > L.LclP) continue;
        if (lfcPlain == n && Out.Tp[i] > Out.Te[i]) lfcPlain = i;
        if (lfcVirtual == n && Out.Tvp[i] > Out.Tve[i]) lfcVirtual = i;
    }
    const std::size_t lfc = lfcPlain == n ? lfcVirtual : lfcVirtual == n ? lfcPlain : std::max(lfcPlain, lfcVirtual);
    for (std::size_t i = 0; i < n; ++i) {
        if (Out.Exact[i]) continue;
        if (i < lfc && lfc < n) {
            guess = {};
            lift(i);
        } else {
            Out.Tp[i] = Out.Te[i] - Out.Below[i];
            Out.Tvp[i] = Out.Tve[i] - Out.BelowVirtual[i];
        }
    }
    // A level the parcel cannot be lifted to leaves the path.
    if (std::none_of(Out.Tp.begin(), Out.Tp.end(), [](double T) { return std::isnan(T); })) return;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isnan(Out.Tp[i]) || std::isnan(Out.Te[i])) continue;
        for (auto* v : {&Out.P, &Out.LnP, &Out.Tp, &Out.Tvp, &Out.Te, &Out.Tve}) (*v)[kept] = (*v)[i];
        ++kept;
    }
    for (auto* v : {&Out.P, &Out.LnP, &Out.Tp, &Out.Tvp, &Out.Te, &Out.Tve}) v->resize(kept);
}

void BuoyancyOf(const TPath& Path, bool Virtual, TBuoyancy& Out)
{
    Out.P = Path.P;
    Out.LnP = Path.LnP;
    Out.B.resize(Path.P.size());
    for (std::size_t i = 0; i < Path.P.size(); ++i)
        Out.B[i] = Virtual ? Path.Tvp[i] - Path.Tve[i] : Path.Tp[i] - Path.Te[i];
}

// The ln p where the buoyancy crosses zero between points I-1 and I.
double Crossing(const TBuoyancy& B, std::size_t I)
{
    const double f = B.B[I - 1] / (B.B[I - 1] - B.B[I]);
    return B.LnP[I - 1] + f * (B.LnP[I] - B.LnP[I - 1]);
}

// Rd times the integral of the buoyancy over ln p from LnBottom up to LnTop;
// only its positive part when Positive is set.
double Area(const TBuoyancy& B, double LnBottom, double LnTop, bool Positive)
{
    double sum = 0;
    for (std::size_t i = 1; i < B.P.size(); ++i) {
        const double lo = B.LnP[i - 1], hi = B.LnP[i];  // lo > hi: pressure falls
        const double a = std::min(lo, LnBottom), b = std::max(hi, LnTop);
        if (!(a > b)) continue;
        const auto at = [&](double x) { return B.B[i - 1] + (B.B[i] - B.B[i - 1]) * (x - lo) / (hi - lo); };
        const double ba = at(a), bb = at(b);
        if (!Positive || (ba >= 0 && bb >= 0)) {
            sum += (ba + bb) / 2 * (a - b);
        } else if (ba > 0 || bb > 0) {
            const double m = a + ba / (ba - bb) * (b - a);
            sum += ba > 0 ? ba / 2 * (a - m) : bb / 2 * (m - b);
        }
    }
    return kRd * sum;
}

void Convection(const TBuoyancy& B, double LclP, TParcel& Out)
{
    const std::size_t n = B.P.size();
    // The level of free convection: the first buoyant level at or above the LCL.
    std::optional<double> lfc;
    for (std::size_t i = 0; i < n; ++i) {
        if (B.P[i] > LclP || !(B.B[i] > 0)) continue;
        if (i > 0 && B.B[i - 1] <= 0)
            lfc = std::min(Crossing(B, i), std::log(LclP));
        else
            lfc = B.LnP[i];
        break;
    }
    if (!lfc) return;
    // The equilibrium level: the top of the highest buoyant layer.
    std::optional<double> el;
    bool buoyantAtTop = n > 0 && B.B[n - 1] > 0;
    for (std::size_t i = n - 1; !buoyantAtTop && i > 0; --i) {
        if (B.B[i - 1] > 0 && B.B[i] <= 0) {
            el = Crossing(B, i);
            break;
        }
    }
    const double cape = Area(B, *lfc, el ? *el : B.LnP[n - 1], true);
    if (!(cape > 0)) return;
    Out.LfcPressure = std::exp(*lfc);
    Out.Cin = std::min(0.0, Area(B, B.LnP[0], *lfc, false));
    // Still buoyant at the top of the data: the positive area goes on
    // beyond it, so neither the EL nor the CAPE is known.
    if (buoyantAtTop) return;
    Out.ElPressure = std::exp(*el);
    Out.Cape = cape;
}

// A parcel's start and its LCL, without its convection.
TParcel Started(TParcelKind Kind, const TStart& S, const TLift& L)
{
    TParcel parcel;
    parcel.Kind = Kind;
    if (!S.Valid || std::isnan(L.LclP) || std::isnan(L.ThetaE)) return parcel;
    parcel.Valid = true;
    parcel.StartPressure = S.P;
    parcel.StartTemperature = S.T;
    parcel.StartDewPoint = S.Td;
    parcel.LclPressure = L.LclP;
    parcel.LclTemperature = L.LclT;
    return parcel;
}

// The convection of a started parcel along its traced path.
void Convect(const TPath& Path, bool Virtual, TBuoyancy& Buffer, TParcel& Parcel)
{
    if (!Parcel.Valid || Path.P.size() < 2) return;  // no buoyancy is known without data
    BuoyancyOf(Path, Virtual, Buffer);
    Convection(Buffer, Parcel.LclPressure, Parcel);
    if (!Parcel.LfcPressure) Parcel.Cin = 0;
    if (!Parcel.LfcPressure && Buffer.B.back() <= 0) Parcel.Cape = 0;
}

// The Showalter-style lifted temperature: the parcel's temperature at P
// along the saturated adiabat of its equivalent potential temperature.
double LiftedTo(double T, double Td, double P0, double P)
{
    if (std::isnan(Td)) return kNaN;
    return SaturatedTemperature(EquivalentPotentialTemperature(T, std::min(T, Td), P0), P, kNaN);
}

// The pressure-weighted mean wind from the surface to Depth metres above it;
// the surface level must have a wind.
bool MeanWind(const TProfile& Profile, double Depth, double& U, double& V)
{
    if (Profile.Size() == 0 || std::isnan(Profile.Z[0]) || std::isnan(Profile.U[0])) return false;
    const double top = Profile.Z[0] + Depth;
    double sumP = 0, sumU = 0, sumV = 0;
    bool have = false;
    double pp = 0, pu = 0, pv = 0, pz = 0;
    for (std::size_t i = 0; i < Profile.Size(); ++i) {
        if (std::isnan(Profile.Z[i]) || std::isnan(Profile.U[i])) continue;
        double p = Profile.P[i], u = Profile.U[i], v = Profile.V[i];
        const double z = Profile.Z[i];
        if (!have) {
            if (z > top) return false;
            have = true;
            pp = p, pu = u, pv = v, pz = z;
            continue;
        }
        if (!(z > pz)) continue;
        if (pp - p > kMaxWindGap) return false;
        const bool last = z >= top;
        if (last) {
            const double f = (top - pz) / (z - pz);
            p = pp + f * (p - pp);
            u = pu + f * (u - pu);
            v = pv + f * (v - pv);
        }
        const double dp = pp - p;
        sumP += dp;
        sumU += dp * (pu + u) / 2;
        sumV += dp * (pv + v) / 2;
        if (last) {
            if (!(sumP > 0)) return false;
            U = sumU / sumP;
            V = sumV / sumP;
            return true;
        }
        pp = p, pu = u, pv = v, pz = z;
    }
    return false;
}

std::optional<double> BulkRichardson(std::optional<double> Cape, const TProfile& Profile)
{
    if (!Cape) return std::nullopt;
    double u6, v6, u05, v05;
    if (!MeanWind(Profile, kShearDepth, u6, v6) || !MeanWind(Profile, kMixedDepth, u05, v05)) return std::nullopt;
    const double shear2 = (u6 - u05) * (u6 - u05) + (v6 - v05) * (v6 - v05);
    if (!(shear2 > 0)) return std::nullopt;
    return *Cape / (0.5 * shear2);
}

// The wind at a pressure level, in degrees and knots: the level's own,
// else interpolated by its components. Knots are rounded to 0.001, so that
// a speed read in knots comes back as it was written.
bool WindAt(const TSounding& Sounding, const TProfile& Profile, double P, double& Direction, double& Knots)
{
    for (const TSoundingLevel& l : Sounding.Levels) {
        if (l.Pressure != float(P) || l.WindDirection == MissingValue || l.WindSpeed == MissingValue) continue;
        Direction = l.WindDirection;
        Knots = std::round(l.WindSpeed / kKnot * 1000) / 1000;
        return true;
    }
    const double u = ValueAt(Profile, Profile.U, P, kMaxWindGap), v = ValueAt(Profile, Profile.V, P, kMaxWindGap);
    if (std::isnan(u) || std::isnan(v)) return false;
    Knots = std::round(std::hypot(u, v) / kKnot * 1000) / 1000;
    Direction = Knots > 0 ? std::fmod(std::atan2(-u, -v) * 180.0 / M_PI + 360.0, 360.0) : 0;
    return true;
}

std::optional<double> Sweat(const TSounding& Sounding, const TProfile& Profile, double Td850, double TotalsTotals)
{
    double d850, f850, d500, f500;
    if (!WindAt(Sounding, Profile, 850, d850, f850) || !WindAt(Sounding, Profile, 500, d500, f500)) return std::nullopt;
    double s = 12 * std::max(Td850, 0.0) + 20 * std::max(TotalsTotals - 49, 0.0) + 2 * f850 + f500;
    // The shear term: veering from the south-west quadrant, both winds above 15 kt.
    const double veer = d500 - d850;
    if (d850 >= 130 && d850 <= 250 && d500 >= 210 && d500 <= 310 && veer > 0 && f850 > 15 && f500 > 15)
        s += 125 * (std::sin(veer * M_PI / 180.0) + 0.2);
    return s;
}

std::optional<double> PrecipitableWater(const TProfile& Profile)
{
    double sum = 0, pp = 0, pw = 0;
    int n = 0;
    for (std::size_t i = 0; i < Profile.Size(); ++i) {
        if (std::isnan(Profile.Td[i])) continue;
        const double w = MixingRatio(Profile.Td[i], Profile.P[i]);
        if (std::isnan(w)) continue;
        if (n++ > 0) sum += (pp - Profile.P[i]) * (pw + w) / 2;
        pp = Profile.P[i], pw = w;
    }
    if (n < 2) return std::nullopt;
    // g/kg times hPa over g: 100 Pa / 1000 = 0.1 kg/m2 (mm) per unit.
    return sum / kGravity / 10.0;
}

TParcelResult ResultOf(const TParcel& P) { return {P.Cape, P.Cin, P.ElPressure, P.LfcPressure}; }

// Whether level I starts a parcel of the effective inflow layer: a dew
// point, a height, within the lowest 300 hPa.
bool InflowCandidate(const TProfile& Profile, std::size_t I)
{
    return !std::isnan(Profile.ThetaE[I]) && !std::isnan(Profile.Z[I]);
}

// The most-unstable parcel's path as traced already, when at hand: above
// its LCL it is the saturated adiabat of the highest thetaE.
struct TTraced {
    const TPath* Path = nullptr;
    double LclP = kNaN, LnThetaE = kNaN;
};

// What rules most candidates of the effective inflow layer out without
// lifting them.
struct TInflow {
    TTraced Traced;
    // The lowest LnThetaEs - RuleOut (TProfile) of each level and the levels
    // above it: a saturated parcel whose ln thetaE lies below it is ruled
    // out at all of them; -inf from a level that cannot rule a parcel out down.
    std::vector<double> Floor;
    // The most virtual buoyancy (K, >= 0) a saturated candidate can have at
    // each level (that of the highest thetaE among them); +inf where unknown.
    std::vector<double> Most;
    bool MostKnown = false;
};

// A parcel lifted already from a level, as the inflow layer lifts them (the
// surface-based and the most-unstable parcel): what it gave.
struct TLifted {
    std::size_t Level = std::numeric_limits<std::size_t>::max();
    std::optional<double> Cape, Cin;
};

bool InflowParcel(const std::optional<double>& Cape, const std::optional<double>& Cin)
{
    return Cape && *Cape >= kInflowCape && Cin && *Cin >= kInflowCin;
}

void PrepareInflow(const TProfile& Profile, TInflow& Out)
{
    const std::size_t n = Profile.Size();
    Out.Floor.resize(n);
    double low = std::numeric_limits<double>::infinity();
    for (std::size_t i = n; i-- > 0;) {
        const double q = Profile.LnThetaEs[i] - Profile.RuleOut[i];
        low = std::isnan(q) ? -std::numeric_limits<double>::infinity() : std::min(low, q);
        Out.Floor[i] = low;
    }
    Out.MostKnown = false;
}

// Fills Most. A candidate's saturated temperature at a level
// is at most that of the highest thetaE (saturated adiabats do not cross),
// and it is not buoyant where that one is ruled out.
void MostBuoyancy(const TProfile& Profile, TInflow& Out)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::size_t n = Profile.Size();
    double thetaE = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (InflowCandidate(Profile, i)) thetaE = std::max(thetaE, Profile.ThetaE[i]);
    TLift most;
    most.LclP = inf;  // saturated all the way
    most.LnThetaE = std::log(thetaE);
    const TPath* traced = Out.Traced.Path && Out.Traced.LnThetaE >= most.LnThetaE ? Out.Traced.Path : nullptr;
    if (traced) most.LnThetaE = Out.Traced.LnThetaE;
    Out.Most.assign(n, 0.0);
    TGuess guess;
    std::size_t p = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (Profile.LnThetaEs[i] - Profile.RuleOut[i] > most.LnThetaE) continue;
        while (traced && p < traced->P.size() && traced->P[p] > Profile.P[i]) ++p;
        if (traced && p < traced->P.size() && traced->P[p] == Profile.P[i] && Profile.P[i] < Out.Traced.LclP) {
            Out.Most[i] = std::max(0.0, traced->Tvp[p] - traced->Tve[p]);
            continue;
        }
        double t, tv;
        ParcelAt(most, Profile.P[i], Profile.LnP[i], guess, t, tv);
        Out.Most[i] = std::isnan(tv) ? inf : std::max(0.0, tv - Profile.Tv[i]);
    }
    Out.MostKnown = true;
}

// The most virtual buoyancy (K) a saturated candidate of ln thetaE
// LnThetaE can have at level J.
double MostAt(const TProfile& Profile, const TInflow& Inflow, std::size_t J, double LnThetaE)
{
    return LnThetaE < Profile.LnThetaEs[J] - Profile.RuleOut[J] ? 0.0 : Inflow.Most[J];
}

// Rd times the integral over ln p of MostAt from level K up.
double RoomAbove(const TProfile& Profile, const TInflow& Inflow, std::size_t K, double LnThetaE)
{
    double sum = 0, below = MostAt(Profile, Inflow, K, LnThetaE);
    for (std::size_t j = K + 1; j < Profile.Size(); ++j) {
        const bool done = LnThetaE < Inflow.Floor[j];  // ruled out from here up
        const double v = done ? 0.0 : MostAt(Profile, Inflow, j, LnThetaE);
        sum += (below + v) / 2 * (Profile.LnP[j - 1] - Profile.LnP[j]);
        if (done) break;
        below = v;
    }
    return kRd * sum;
}

// The virtual buoyancy (K) of a lifted parcel at its LCL, between levels
// K - 1 and K, as TracePath places it there.
double BuoyancyAtLcl(const TProfile& Profile, const TLift& L, std::size_t K)
{
    const std::size_t j = K - 1;
    const double lnLcl = std::log(L.LclP);
    double tve = Profile.Tv[j];
    if (Profile.P[j] != L.LclP) {
        const double f = (lnLcl - Profile.LnP[j]) / (Profile.LnP[K] - Profile.LnP[j]);
        const double te = Profile.T[j] + f * (Profile.T[K] - Profile.T[j]);
        const double tde = Profile.Td[j] + f * (Profile.Td[K] - Profile.Td[j]);
        tve = std::isnan(tde) ? te : VirtualTemperature(te, tde, L.LclP);
    }
    TGuess guess;
    double tp, tvp;
    ParcelAt(L, L.LclP, lnLcl, guess, tp, tvp);
    return tvp - tve;
}

// Whether the parcel of level I plainly has too little CAPE (or an unknown
// one) for the inflow layer, without lifting it. Its level of free
// convection lies at or above its LCL: where the parcel is ruled out above
// it, only the stretch from the LCL to the next level could be buoyant
// (and no warmer there than the parcel at its start against the colder of
// the two levels); and anywhere it is no warmer than the warmest candidate.
bool PlainlyWithoutCape(const TProfile& Profile, std::size_t I, TInflow& Inflow, TStart& S, TLift& L)
{
    const double lnThetaE = std::log(Profile.ThetaE[I]);
    const TLcl lcl = LiftingCondensationLevel(Profile.T[I], Profile.Td[I], Profile.P[I]);
    const double lclP = std::min(lcl.Pressure, Profile.P[I]);
    std::size_t k = I;
    while (k < Profile.Size() && Profile.P[k] >= lclP) ++k;
    // Not saturated below the top of the data: no level of free convection,
    // or one at the very top with the positive area going on beyond.
    if (k == Profile.Size() || std::isnan(lclP)) return true;
    const double stretch = kRd / 2 * (Profile.LnP[k - 1] - Profile.LnP[k]);
    const bool ruledOut = lnThetaE < Inflow.Floor[k];
    // The parcel at its LCL is no warmer than at its start, the air there no
    // colder than the colder of the two levels.
    const double mostAtLcl = std::max(0.0, Profile.Tv[I] - std::min(Profile.T[k - 1], Profile.T[k]));
    // (A margin for the rounding of the parcel's temperatures.)
    const double wanted = kInflowCape - 1;
    if (ruledOut && stretch * mostAtLcl < wanted) return true;
    if (!Inflow.MostKnown) MostBuoyancy(Profile, Inflow);
    const double room = RoomAbove(Profile, Inflow, k, lnThetaE);
    const double atK = MostAt(Profile, Inflow, k, lnThetaE);
    if (stretch * (mostAtLcl + atK) + room < wanted) return true;
    S = {true, Profile.P[I], Profile.T[I], std::min(Profile.Td[I], Profile.T[I]), I};
    L = LiftOf(S);
    if (std::isnan(L.LclP) || std::isnan(L.ThetaE)) return true;
    const double atLcl = std::max(0.0, BuoyancyAtLcl(Profile, L, k));
    return (ruledOut && stretch * atLcl < wanted) || stretch * (atLcl + atK) + room < wanted;
}

// Whether the parcel of level I, lifted as the most-unstable parcel is,
// belongs to the effective inflow layer.
bool InflowLevel(const TProfile& Profile, std::size_t I, std::span<const TLifted> Lifted, TInflow& Inflow, TPath& Path,
                 TBuoyancy& Buffer)
{
    for (const TLifted& p : Lifted)
        if (p.Level == I) return InflowParcel(p.Cape, p.Cin);
    TStart s;
    TLift l;
    if (PlainlyWithoutCape(Profile, I, Inflow, s, l)) return false;
    TParcel parcel = Started(TParcelKind::MostUnstable, s, l);
    if (!parcel.Valid) return false;
    TracePath(Profile, s, l, 0, Path);
    Convect(Path, true, Buffer, parcel);
    return InflowParcel(parcel.Cape, parcel.Cin);
}

TInflowParcels InflowOf(const TProfile& Profile, const TIndices& X, std::span<const TLifted> Lifted,
                        const TTraced& Traced, TBuoyancy& Buffer)
{
    TInflowParcels out;
    if (Profile.Size() == 0) return out;
    const TStart sb = StartOf(Profile, TParcelKind::SurfaceBased);
    if (sb.Valid) out.SurfaceLclHeight = Optional(ValueAt(Profile, Profile.Z, LiftOf(sb).LclP));
    if (X.MostUnstable.EquilibriumLevel)
        out.MostUnstableElHeight = Optional(ValueAt(Profile, Profile.Z, *X.MostUnstable.EquilibriumLevel));
    thread_local TInflow inflow;
    thread_local TPath path;
    PrepareInflow(Profile, inflow);
    inflow.Traced = Traced;
    bool run = false;
    for (std::size_t i = 0; i < Profile.Size() && Profile.P[i] >= Profile.P[0] - kMostUnstableDepth; ++i) {
        if (!InflowCandidate(Profile, i)) continue;
        if (InflowLevel(Profile, i, Lifted, inflow, path, Buffer)) {
            if (!run) out.EffectiveBase = Profile.Z[i];
            out.EffectiveTop = Profile.Z[i];
            run = true;
        } else if (run) {
            break;
        }
    }
    return out;
}

}  // namespace

TParcel LiftParcel(const TSounding& Sounding, TParcelKind Kind, bool Virtual, double TopPressure)
{
    TProfile profile;
    BuildProfile(Sounding, profile);
    const TStart s = StartOf(profile, Kind);
    const TLift l = s.Valid ? LiftOf(s) : TLift{};
    TParcel parcel = Started(Kind, s, l);
    if (!parcel.Valid) return parcel;
    TPath path;
    TBuoyancy buffer;
    // The convection over the whole sounding, as ComputeIndices reckons it.
    TracePath(profile, s, l, 0, path);
    Convect(path, Virtual, buffer, parcel);
    // The path to draw: every 10 hPa, with the start and the LCL, up to the top.
    TGuess guess;
    auto point = [&](double P) {
        double t, tv;
        ParcelAt(l, P, std::log(P), guess, t, tv);
        if (!std::isnan(t)) parcel.Path.push_back({P, Virtual ? tv : t});
    };
    point(s.P);
    bool lclDone = l.LclP >= s.P;
    for (double p = std::floor(s.P / 10) * 10; p >= TopPressure; p -= 10) {
        if (p >= s.P) continue;
        if (!lclDone && p <= l.LclP) {
            if (p < l.LclP) point(l.LclP);
            lclDone = true;
        }
        point(p);
    }
    return parcel;
}

TIndices ComputeIndices(const TSounding& Sounding)
{
    TIndices x;
    // Kept between calls: a loop over a year of launches allocates once.
    thread_local TProfile profile;
    thread_local TPath path;
    thread_local TBuoyancy buffer;
    BuildProfile(Sounding, profile);
    if (profile.Size() == 0) {
        x.Wind = ComputeKinematics(Sounding, x, {});
        return x;
    }

    const double t850 = ValueAt(profile, profile.T, 850), td850 = ValueAt(profile, profile.Td, 850);
    const double t700 = ValueAt(profile, profile.T, 700), td700 = ValueAt(profile, profile.Td, 700);
    const double t500 = ValueAt(profile, profile.T, 500), td500 = ValueAt(profile, profile.Td, 500);
    x.KIndex = Optional(t850 - t500 + td850 - (t700 - td700));
    x.CrossTotals = Optional(td850 - t500);
    x.VerticalTotals = Optional(t850 - t500);
    x.TotalsTotals = Optional(t850 + td850 - 2 * t500);
    x.Showalter = Optional(t500 - LiftedTo(t850, td850, 850, 500));
    if (x.TotalsTotals) x.Sweat = Sweat(Sounding, profile, td850, *x.TotalsTotals);

    const TLayerMean mixed = MixedLayer(profile);
    if (mixed.Valid) {
        x.MixedLayerTheta = mixed.MeanTheta;
        x.MixedLayerMixingRatio = mixed.MeanW;
        const double pm = (mixed.BottomPressure + mixed.TopPressure) / 2;
        const TLcl lcl = LiftingCondensationLevel(mixed.MeanT, mixed.MeanTd, pm);
        x.LclTemperature = Optional(lcl.Temperature + kZeroCelsius);
        x.LclPressure = Optional(std::min(lcl.Pressure, pm));
        const double tp = LiftedTo(mixed.MeanT, mixed.MeanTd, pm, 500);
        x.LiftedIndex = Optional(t500 - tp);
        x.LiftedIndexVirtual = Optional(VirtualTemperature(t500, td500, 500) - VirtualTemperature(tp, tp, 500));
    }

    const TStart mls = StartOf(profile, TParcelKind::MixedLayer);
    const TLift mll = mls.Valid ? LiftOf(mls) : TLift{};
    TParcel ml = Started(TParcelKind::MixedLayer, mls, mll);
    TParcel mlv = ml;
    if (ml.Valid) {
        TracePath(profile, mls, mll, 0, path);
        Convect(path, false, buffer, ml);
        Convect(path, true, buffer, mlv);
    }
    const TStart sbs = StartOf(profile, TParcelKind::SurfaceBased);
    const TLift sbl = sbs.Valid ? LiftOf(sbs) : TLift{};
    TParcel sb = Started(TParcelKind::SurfaceBased, sbs, sbl);
    if (sb.Valid) {
        TracePath(profile, sbs, sbl, 0, path);
        Convect(path, true, buffer, sb);
    }
    const TStart mus = StartOf(profile, TParcelKind::MostUnstable);
    TParcel mu = sb;
    TLift mul = sbl;
    if (mus.Valid && (mus.FirstLevel != 0 || !sb.Valid)) {
        mul = LiftOf(mus);
        mu = Started(TParcelKind::MostUnstable, mus, mul);
        if (mu.Valid) {
            TracePath(profile, mus, mul, 0, path);
            Convect(path, true, buffer, mu);
        }
    }
    x.MixedLayer = ResultOf(ml);
    x.MixedLayerVirtual = ResultOf(mlv);
    x.SurfaceBased = ResultOf(sb);
    x.MostUnstable = ResultOf(mu);
    x.BulkRichardson = BulkRichardson(x.MixedLayer.Cape, profile);
    x.BulkRichardsonVirtual = BulkRichardson(x.MixedLayerVirtual.Cape, profile);

    x.Thickness1000To500 = Optional(ValueAt(profile, profile.Z, 500) - Height1000(Sounding, profile));
    x.PrecipitableWater = PrecipitableWater(profile);
    // The inflow layer's parcels from these two levels are lifted already.
    TLifted lifted[2];
    if (sb.Valid) lifted[0] = {0, sb.Cape, sb.Cin};
    TTraced traced;
    if (mu.Valid) {
        lifted[1] = {mus.FirstLevel, mu.Cape, mu.Cin};
        traced = {&path, mul.LclP, mul.LnThetaE};  // the last path traced
    }
    x.Wind = ComputeKinematics(Sounding, x, InflowOf(profile, x, lifted, traced, buffer));
    return x;
}

TInflowParcels InflowParcels(const TSounding& Sounding, const TIndices& Indices)
{
    thread_local TProfile profile;
    thread_local TBuoyancy buffer;
    BuildProfile(Sounding, profile, false);
    // The surface-based parcel is lifted as the inflow layer's first.
    TLifted surface;
    if (StartOf(profile, TParcelKind::SurfaceBased).Valid)
        surface = {0, Indices.SurfaceBased.Cape, Indices.SurfaceBased.Cin};
    return InflowOf(profile, Indices, {&surface, 1}, {}, buffer);
}

}  // namespace sounding
