#include "analysis/DerivedLevels.h"

#include "sounding/Heights.h"

#include <algorithm>
#include <cmath>

namespace {

bool Known(float V) { return V != MissingValue && std::isfinite(V); }

bool HasPressure(const TProfilePoint& P) { return Known(P.Pressure) && P.Pressure > 0; }

bool ByHeight(const TProfilePoint& A, const TProfilePoint& B) { return A.Height < B.Height; }

// Sorts by height (only when needed: most files list their levels upwards)
// and keeps the first of several levels at one height, so no layer is zero
// thick.
void SortAndDeduplicate(std::vector<TProfilePoint>& Points)
{
    if (!std::is_sorted(Points.begin(), Points.end(), ByHeight))
        std::stable_sort(Points.begin(), Points.end(), ByHeight);
    Points.erase(std::unique(Points.begin(), Points.end(),
                             [](const TProfilePoint& A, const TProfilePoint& B) { return A.Height == B.Height; }),
                 Points.end());
}

// Degrees C lost per km from A up to B (B higher than A).
double LapseRate(const TProfilePoint& A, const TProfilePoint& B)
{
    return (double(A.Temperature) - B.Temperature) * 1000.0 / (double(B.Height) - A.Height);
}

// The height where the temperature reaches Value between A and B, linear in
// height; A and B lie on either side of it (or A on it).
float Crossing(const TProfilePoint& A, const TProfilePoint& B, double Value)
{
    if (A.Temperature == Value || A.Temperature == B.Temperature) return A.Height;
    const double F = (Value - A.Temperature) / (double(B.Temperature) - A.Temperature);
    return float(A.Height + F * (double(B.Height) - A.Height));
}

// The lowest height at or above point From (at or above 0 C) where the air
// is at 0 C: From itself at exactly 0 C, else where it cools to 0 C; none
// when the air above stays warmer.
std::optional<float> CoolingToZero(const std::vector<TProfilePoint>& Profile, std::size_t From)
{
    if (Profile[From].Temperature == 0) return Profile[From].Height;
    for (std::size_t I = From + 1; I < Profile.size(); ++I)
        if (Profile[I].Temperature <= 0) return Crossing(Profile[I - 1], Profile[I], 0);
    return std::nullopt;
}

// The first point at or after From warmer than 0 C; Profile.size() when none.
std::size_t FirstWarm(const std::vector<TProfilePoint>& Profile, std::size_t From)
{
    while (From < Profile.size() && !(Profile[From].Temperature > 0)) ++From;
    return From;
}

// The pressure at Height from the points carrying one, interpolated in ln p;
// none outside them.
std::optional<float> PressureAt(const std::vector<TProfilePoint>& Profile, float Height)
{
    const TProfilePoint* Below = nullptr;
    for (const TProfilePoint& P : Profile) {
        if (!HasPressure(P)) continue;
        if (P.Height == Height) return P.Pressure;
        if (P.Height < Height) {
            Below = &P;
            continue;
        }
        if (!Below) return std::nullopt;
        const double F = (double(Height) - Below->Height) / (double(P.Height) - Below->Height);
        return float(std::exp(std::log(double(Below->Pressure)) +
                              F * (std::log(double(P.Pressure)) - std::log(double(Below->Pressure)))));
    }
    return std::nullopt;
}

constexpr double TropopauseLapseRate = 2.0;  // C/km
constexpr double TropopauseDepth = 2000.0;   // m
constexpr double TropopauseFloor = 500.0;    // hPa
constexpr float LowestSurface = -500;        // m
constexpr float HighestSurface = 6000;       // m

}  // namespace

void TemperatureProfile(const TSounding& Sounding, std::vector<TProfilePoint>& Buffer)
{
    Buffer.clear();
    for (const TSoundingLevel& L : Sounding.Levels) {
        const float Z = sounding::LevelHeight(L);
        if (Known(Z) && Known(L.Temperature)) Buffer.push_back({Z, L.Temperature, L.Pressure});
    }
    SortAndDeduplicate(Buffer);
}

std::optional<float> Height500hPa(const TSounding& Sounding)
{
    // Pressure stands in the Temperature field here: the same sorting serves.
    std::vector<TProfilePoint> Points;
    for (const TSoundingLevel& L : Sounding.Levels) {
        const float Z = sounding::LevelHeight(L);
        if (Known(Z) && Known(L.Pressure) && L.Pressure > 0) Points.push_back({Z, L.Pressure});
    }
    SortAndDeduplicate(Points);
    for (std::size_t I = 0; I < Points.size(); ++I) {
        if (Points[I].Temperature >= TropopauseFloor) continue;
        if (I == 0) return Points[0].Height;
        const TProfilePoint& Below = Points[I - 1];
        const TProfilePoint& Above = Points[I];
        const double F =
            std::log(Below.Temperature / TropopauseFloor) / std::log(double(Below.Temperature) / Above.Temperature);
        return float(Below.Height + F * (double(Above.Height) - Below.Height));
    }
    return std::nullopt;
}

std::optional<float> SurfaceHeight(const TSounding& Sounding)
{
    if (Sounding.Levels.empty()) return std::nullopt;
    const std::size_t Marked = std::size_t(Sounding.Surface);
    const std::size_t Index = Sounding.Surface >= 0 && Marked < Sounding.Levels.size() ? Marked : 0;
    // A surface the file gives no height has the one reckoned for it.
    const TSoundingLevel& Level = Sounding.Levels[Index];
    const float Z = Known(Level.Height) ? Level.Height : Level.Altitude;
    if (!Known(Z) || Z < LowestSurface || Z > HighestSurface) return std::nullopt;
    return Z;
}

std::optional<float> FreezingLevel(const std::vector<TProfilePoint>& Profile)
{
    if (Profile.empty()) return std::nullopt;
    if (Profile[0].Temperature >= 0) return CoolingToZero(Profile, 0);
    const std::size_t Warm = FirstWarm(Profile, 1);
    if (Warm == Profile.size()) return Profile[0].Height;
    return CoolingToZero(Profile, Warm);
}

std::optional<TWarmLayer> WarmLayerAloft(const std::vector<TProfilePoint>& Profile)
{
    std::size_t Cold = 0;
    while (Cold < Profile.size() && !(Profile[Cold].Temperature < 0)) ++Cold;
    const std::size_t Warm = FirstWarm(Profile, Cold + 1);
    if (Warm >= Profile.size()) return std::nullopt;
    float Max = Profile[Warm].Temperature;
    for (std::size_t I = Warm + 1; I < Profile.size(); ++I) {
        if (Profile[I].Temperature < 0)
            return TWarmLayer{Crossing(Profile[Warm - 1], Profile[Warm], 0), Crossing(Profile[I - 1], Profile[I], 0),
                              Max};
        Max = std::max(Max, Profile[I].Temperature);
    }
    return std::nullopt;  // warm up to the top: no layer aloft
}

std::optional<TTropopause> LapseRateTropopause(const std::vector<TProfilePoint>& Profile, std::optional<float> Floor)
{
    const std::size_t N = Profile.size();
    for (std::size_t I = 0; I + 1 < N; ++I) {
        const TProfilePoint& P = Profile[I];
        const bool Above500 = HasPressure(P) ? P.Pressure < TropopauseFloor : Floor && P.Height > *Floor;
        if (!Above500) continue;
        const double Top = double(P.Height) + TropopauseDepth;
        // Without data 2 km above it no level can be confirmed, this one nor
        // any higher one.
        if (double(Profile[N - 1].Height) < Top) return std::nullopt;
        if (LapseRate(P, Profile[I + 1]) > TropopauseLapseRate) continue;
        bool Holds = true;
        std::size_t J = I + 1;
        for (; J < N && Profile[J].Height <= Top; ++J)
            if (LapseRate(P, Profile[J]) > TropopauseLapseRate) {
                Holds = false;
                break;
            }
        if (!Holds) continue;
        // Profile[J] is the first level beyond 2 km: the temperature at
        // exactly 2 km lies between it and the level below. (None beyond:
        // the last level lies at exactly 2 km and has been tested.)
        if (J < N) {
            const TProfilePoint& A = Profile[J - 1];
            const TProfilePoint& B = Profile[J];
            const double TTop = A.Temperature + (Top - A.Height) / (double(B.Height) - A.Height) *
                                                    (double(B.Temperature) - A.Temperature);
            if ((double(P.Temperature) - TTop) * 1000.0 / TropopauseDepth > TropopauseLapseRate) continue;
        }
        TTropopause T{P.Height, P.Temperature};
        T.Pressure = HasPressure(P) ? std::optional<float>(P.Pressure) : PressureAt(Profile, P.Height);
        return T;
    }
    return std::nullopt;
}

std::optional<TInversion> LowestInversion(const std::vector<TProfilePoint>& Profile)
{
    const std::size_t N = Profile.size();
    for (std::size_t I = 0; I + 1 < N; ++I) {
        if (Profile[I + 1].Temperature <= Profile[I].Temperature) continue;
        std::size_t Top = I + 1;
        while (Top + 1 < N && Profile[Top + 1].Temperature > Profile[Top].Temperature) ++Top;
        return TInversion{Profile[I].Height, Profile[Top].Height, Profile[Top].Temperature - Profile[I].Temperature};
    }
    return std::nullopt;
}

TDerivedLevels DeriveLevels(const TSounding& Sounding, std::vector<TProfilePoint>& Buffer)
{
    TemperatureProfile(Sounding, Buffer);
    TDerivedLevels Out;
    Out.SurfaceHeight = SurfaceHeight(Sounding);
    if (Buffer.empty()) return Out;
    Out.SurfaceBelowFreezing = Buffer[0].Temperature < 0;
    Out.FreezingLevel = FreezingLevel(Buffer);
    Out.WarmLayer = WarmLayerAloft(Buffer);
    // The 500 hPa height places only the levels that carry no pressure.
    const bool AllHavePressure = std::all_of(Buffer.begin(), Buffer.end(), HasPressure);
    Out.Tropopause = LapseRateTropopause(Buffer, AllHavePressure ? std::nullopt : Height500hPa(Sounding));
    Out.Inversion = LowestInversion(Buffer);
    return Out;
}

TDerivedLevels DeriveLevels(const TSounding& Sounding)
{
    std::vector<TProfilePoint> Buffer;
    return DeriveLevels(Sounding, Buffer);
}
