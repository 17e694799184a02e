#pragma once
// The soundings of a page as CSV: a header, then one row per stored level.

#include "components/jtSysUtils.h"
#include "sounding/LapseRates.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The shortest text that reads back to the same single-precision value
// (-9999 stays "-9999").
std::string SingleText(float Value);

// FixedText (the fixed-decimal value texts) lives with the number texts of
// components/jtSysUtils.h, shared with the windows.

// A field as CSV needs it: quoted, with doubled quotes, when it holds a
// comma, a quote or a line break; otherwise as it is.
std::string CsvField(std::string_view Text);

// Header "sounding,title,pressure,height,temperature,dewpoint_diff,
// wind_direction,wind_speed", then each sounding's levels in stored order
// with the sounding's 0-based index and title. A sounding without levels
// still gets one row, its six value fields empty.
std::string SoundingsToCsv(const TLapseRates& Set);

// The same text handed to Sink in pieces of at most PieceBytes as it is
// made (on two cores), so that a large set is never held twice; false as
// soon as Sink refuses a piece. Sink is called for one piece at a time, in
// order, on the caller's thread or on the one other thread that formats.
// Pieces of a quarter MB keep a write's copy within the processor's cache.
using TCsvSink = std::function<bool(std::string_view Piece)>;
bool WriteSoundingsCsv(const TLapseRates& Set, const TCsvSink& Sink, std::size_t PieceBytes = std::size_t(256) << 10);

// Rows(First, Last, Out) appends the rows of the items First..Last-1.
using TRowMaker = std::function<void(std::size_t First, std::size_t Last, std::string& Out)>;
// Header, then the rows of the runs of items Bounds[k]..Bounds[k+1]-1 handed
// to Sink as WriteSoundingsCsv hands its text: two threads format the runs
// in turn, each with the row maker MakeRows gives it, so no more than two
// runs of text are held; false as soon as Sink refuses a piece. What a
// row maker throws is thrown on here.
bool WriteRunsOnTwoCores(std::string_view Header, const std::vector<std::size_t>& Bounds,
                         const std::function<TRowMaker()>& MakeRows, const TCsvSink& Sink,
                         std::size_t PieceBytes = std::size_t(256) << 10);
// 0, RunItems, 2 RunItems, ..., Count: the bounds of runs of RunItems items.
std::vector<std::size_t> RunBounds(std::size_t Count, std::size_t RunItems);
// The whole text that Write hands to its sink.
std::string CsvText(const std::function<bool(const TCsvSink&)>& Write);
