#pragma once
// The soundings of one sounding page, the frame cursor the window moves over
// them, and the reader of the page.

#include "sounding/PlotSeries.h"
#include "sounding/Sounding.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The extra quantities of a sounding that the chart can show.
enum TSoundingQuantity : std::uint8_t {
    sqDewPointDiff = 0,
    sqWindDirection = 1,
    sqWindSpeed = 2,
};

// What reading a page found.
enum class TPageLoad { Read, MissingData };

// The message box for a page without its data.
inline constexpr const char* kMissingDataCaption = "Bad data file";
inline constexpr const char* kMissingDataText =
    "File is missing data\r\n\r\nWait for the download to complete before saving";

class TLapseRates {
public:
    // In the order of the tables of the page.
    std::vector<TSounding> Soundings;
    // The current sounding; -1 = none. A load keeps it, so navigation goes on
    // at the same index.
    std::int32_t Current = -1;

    // Called between the tables of a page so the window stays responsive.
    // Skipped when empty. It may start another load; the newest load wins.
    std::function<void()> ProcessMessages;

    // Empties the set; Current keeps its value.
    void Clear();
    int Count() const;

    // Makes sounding Index (clamped into range) current and plots it.
    void PlotFrame(int Index, TPlotSeries& Series);
    // Plot the current sounding, then move to the next (previous) one,
    // wrapping around; the result is the new Current.
    int PlotNext(TPlotSeries& Series);
    int PlotPrev(TPlotSeries& Series);
    // "" while no existing sounding is current.
    std::string CurrentTitle() const;
    // One extra quantity of the current sounding; other kinds do nothing.
    void PlotQuantity(TSoundingQuantity Kind, TPlotSeries& Series);

    // Replaces the set by the soundings of a sounding page. A page without
    // its data (no header or footer marker: a download cut short) leaves the
    // set empty and answers MissingData; the caller tells the user
    // (kMissingDataCaption, kMissingDataText). A number cell that is not a
    // number raises EConvertError; the soundings read so far stay.
    TPageLoad LoadPage(std::string_view Html);
    // Replaces the set by soundings read elsewhere (a station archive, a
    // merge of several files). A page load still running stops adding to it.
    void SetSoundings(std::vector<TSounding> Ready);

private:
    // The current sounding, or null when Current names none (also when a
    // load left fewer soundings than Current counts).
    const TSounding* CurrentSounding() const;
    int Step(TPlotSeries& Series, int Direction);

    // The steps of LoadPage.
    void ParseSounding(std::string_view Table, char Separator);
    void ParseTitle(TSounding& Sounding, std::string_view Row);
    void ParseLevel(TSounding& Sounding, std::string_view Row, char Separator);
    // Reads the next cell of Cells and consumes one cell.
    float ReadCell(std::string_view& Cells, char Separator);

    // Counts loads, so an older load notices that a newer one has started.
    std::uint64_t loadGeneration_ = 0;
};
