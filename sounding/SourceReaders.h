#pragma once
// The line readers of the two station formats. Each takes the text one line
// at a time (without its line end) and appends finished soundings to Out:
// levels in file order, a level without a temperature left out, the surface
// fixed (TSounding::AddReadLevel and FixSurface).
//
// A line that cannot be read is skipped; the first such fault is kept in
// Error ("line N: ..."), and reading goes on, so the result is the soundings
// that could be read plus the first reason why something could not.

#include "sounding/Sounding.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TLineReaderBase {
public:
    explicit TLineReaderBase(std::vector<TSounding>& Out) : out_(Out) {}
    // The first fault met, "" while there is none.
    const std::string& Error() const { return error_; }

protected:
    void Fault(const std::string& What);
    // Fixes the surface of the open sounding and hands it over.
    void Close();
    TSounding& Open(std::string Title);

    std::vector<TSounding>& out_;
    std::uint64_t line_ = 0;
    bool open_ = false;

private:
    std::string error_;
};

// IGRA version 2 station files: a header line "#" + station id + launch time
// + number of levels, then one fixed-column line per level (pressure Pa,
// geopotential height m, temperature and dew point depression in tenths of a
// degree C, wind direction deg, wind speed tenths of m/s; -9999 and -8888
// missing). The levels are the lines up to the next header, whatever number
// the header announces. Title: last five characters of the station id, the
// date and the nominal hour, "72403 2016-01-01 00Z".
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
