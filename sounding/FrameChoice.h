#pragma once
// What a frame of the sounding chart shows, at which size and how long:
// plain values, no toolkit, so that the exporter's command line is read the
// same way whether or not pictures are built.

// The chart's size in the window, in pixels at 96 pixels per inch; pictures
// are drawn at this size.
inline constexpr int Chart1Width = 705;
inline constexpr int Chart1Height = 313;
// The skew-T diagram's size in its window; its pictures' default size.
inline constexpr int SkewTFrameWidth = 700;
inline constexpr int SkewTFrameHeight = 620;
// The hodograph's pictures' default size (a square side).
inline constexpr int HodographFrameSide = 500;

// The longest frame delay a GIF can hold: 65535 hundredths of a second.
inline constexpr int MaxGifDelayMs = 655350;

// Series slots of the chart.
inline constexpr int TemperatureSlot = 0;
inline constexpr int FirstReferenceSlot = 1;  // standard atmosphere, DALR, ELR, SALR: 1 to 4
inline constexpr int FirstExtraSlot = 5;      // dew point diff, wind direction / 10, wind speed: 5 to 7
inline constexpr int SlotCount = 8;

// Which series a frame shows besides the temperature profile, as the
// window's check boxes say it.
struct TSeriesChoice {
    bool Shown[SlotCount] = {};  // by slot; slot 0 is always shown
    bool Points = false;         // point markers on series 0
    bool Markers = false;        // value marks on series 0
    bool operator==(const TSeriesChoice&) const = default;
};
