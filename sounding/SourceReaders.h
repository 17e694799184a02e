#pragma once
// The line readers of the two station formats. Each takes the text one line
// at a time (without its line end) and appends finished soundings to Out:
// levels in file order, a level without a temperature left out
// (TSounding::AddReadLevel), every level given a height (ComputeHeights in
// sounding/Heights.h; a surface without a height is reckoned like the other
// levels, never by the sounding page's fix-up).
//
// A launch with a line that cannot be read (a damaged level line, a header
// with an impossible date) is left out whole and counted, with a warning
// naming the line and the launch; reading goes on, so the result is every
// launch that reads correctly. A launch without any level line holds
// nothing to show and is left out silently.

#include "sounding/Sounding.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TLineReaderBase {
public:
    explicit TLineReaderBase(std::vector<TSounding>& Out) : out_(Out) {}
    // The launches left out because a line of theirs could not be read.
    std::size_t Skipped() const { return skipped_; }
    // Why, "line N: ...", one per skipped launch or stray line; only the
    // first kMaxWarnings are kept (Skipped counts them all).
    const std::vector<std::string>& Warnings() const { return warnings_; }
    static constexpr std::size_t kMaxWarnings = 100;
    // The lines read so far.
    std::uint64_t LinesRead() const { return line_; }

protected:
    // A line that belongs to no launch could not be read.
    void Warn(const std::string& What);
    // The open launch has a line that could not be read: it is left out.
    void Damage(const std::string& What);
    // A launch left out before it was opened (its header is damaged).
    void SkipLaunch(const std::string& Name, const std::string& What);
    // Fixes the surface of the open sounding and hands it over, or leaves
    // it out when it is damaged or has no level line.
    void Close();
    TSounding& Open(std::string Title);
    // The level just added is the one the file marks as the surface.
    void MarkSurface();

    std::vector<TSounding>& out_;
    std::uint64_t line_ = 0;
    bool open_ = false;
    std::size_t levelLines_ = 0;  // of the open launch

private:
    std::size_t skipped_ = 0;
    std::vector<std::string> warnings_;
    bool damaged_ = false;
    std::string damage_;  // "line N: what" of the open launch
    int surface_ = -1;    // index of the level marked as surface
};

// IGRA version 2 station files: a header line "#" + station id + launch time
// + number of levels, then one fixed-column line per level (pressure Pa,
// geopotential height m, temperature and dew point depression in tenths of a
// degree C, wind direction deg, wind speed tenths of m/s; -9999 and -8888
// missing). The levels are the lines up to the next header, whatever number
// the header announces. Title: last five characters of the station id, the
// date and the nominal hour, "72403 2016-01-01 00Z"; the launch key holds the
// whole id and the release time. A header whose date does not exist in the
// calendar, or whose hour is neither 00..23 nor 99, is a damaged launch.
class TIgraReader : public TLineReaderBase {
public:
    using TLineReaderBase::TLineReaderBase;
    void Line(std::string_view Text);
    void Finish();
    // Whether a line is an IGRA version 2 header line.
    static bool IsHeader(std::string_view Text);

private:
    bool skipping_ = false;  // levels of a header that could not be read
};

inline bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// University of Wyoming TEXT:LIST pages: per launch an <H2> line ("94610 YPPH
// Perth Airport Observations at 00Z 01 Jan 2016") and a <PRE> block of
// 7-character columns named in its head (PRES HGHT TEMP DWPT ... DRCT SKNT);
// the columns are found by name, so a block with other columns or another
// order still reads. Dew point difference = TEMP - DWPT, wind knots -> m/s,
// a blank field is missing. Title "94610 2016-01-01 00Z".
class TWyomingReader : public TLineReaderBase {
public:
    using TLineReaderBase::TLineReaderBase;
    void Line(std::string_view Text);
    void Finish();

private:
    enum class State { Outside, Head, Levels };
    struct TColumn {
        std::size_t End = 0;  // one past the column's last character; 0 = absent
    };
    bool ReadColumns(std::string_view Text);
    void ReadLevel(std::string_view Text);
    void EndBlock();

    State state_ = State::Outside;
    TColumn pressure_, height_, temperature_, dewPoint_, direction_, speed_;
    double speedFactor_ = 1;
    bool haveColumns_ = false;
};
