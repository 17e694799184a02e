#include "tools/ExportOptions.h"

#include "components/jtCommon.h"
#include "sounding/Launch.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace {

struct FormatSwitch {
    std::string_view Name;
    ExportFormat Format;
    bool NeedsPath;  // the CSV may go to standard output; pictures need a place
};

constexpr FormatSwitch kFormats[] = {
    {"--csv", ExportFormat::Csv, false},
    {"--png", ExportFormat::Png, true},
    {"--gif", ExportFormat::Gif, true},
    {"--section", ExportFormat::Section, true},
    {"--levels", ExportFormat::Levels, true},
    {"--indices", ExportFormat::Indices, true},
    {"--climatology", ExportFormat::Climatology, true},
};

const FormatSwitch* FindFormat(std::string_view Name)
{
    for (const FormatSwitch& f : kFormats)
        if (f.Name == Name) return &f;
    return nullptr;
}

// "-" names standard output, as most tools read it.
std::string OutputPath(const std::string& Value) { return Value == "-" ? std::string() : Value; }

// A whole decimal number Min..Max, digits only.
bool ReadNumber(std::string_view Text, int Min, int Max, int& Value)
{
    if (Text.empty() || Text.find_first_not_of("0123456789") != std::string_view::npos) return false;
    int v = 0;
    const auto r = std::from_chars(Text.data(), Text.data() + Text.size(), v);
    if (r.ec != std::errc() || r.ptr != Text.data() + Text.size() || v < Min || v > Max) return false;
    Value = v;
    return true;
}

// Without the spaces and tabs around it.
std::string_view TrimBlanks(std::string_view Text)
{
    while (!Text.empty() && (Text.front() == ' ' || Text.front() == '\t')) Text.remove_prefix(1);
    while (!Text.empty() && (Text.back() == ' ' || Text.back() == '\t')) Text.remove_suffix(1);
    return Text;
}

// The options that take a value. Each reads its value into the options and
// returns what is wrong with it, or nothing.
struct ValueSwitch {
    std::string_view Name;
    std::string (*Apply)(const std::string& Value, ExportOptions& Options);
};

std::string ApplySettings(const std::string& Value, ExportOptions& Options)
{
    if (Value.empty()) return "--settings needs a file name";
    Options.SettingsPath = Value;
    return {};
}

std::string ApplySeries(const std::string& Value, ExportOptions& Options)
{
    return ParseSeriesList(Value, Options.Series);
}

std::string ApplySize(const std::string& Value, ExportOptions& Options)
{
    const std::size_t x = Value.find_first_of("xX");
    const std::string range = std::to_string(MinFrameSide) + " to " + std::to_string(MaxFrameSide);
    if (x == std::string::npos ||
        !ReadNumber(std::string_view(Value).substr(0, x), MinFrameSide, MaxFrameSide, Options.Width) ||
        !ReadNumber(std::string_view(Value).substr(x + 1), MinFrameSide, MaxFrameSide, Options.Height))
        return "--size '" + Value + "' is not WIDTHxHEIGHT with sides of " + range + " pixels";
    return {};
}

std::string ApplyFrame(const char* Name, const std::string& Value, int& Frame)
{
    if (!ReadNumber(Value, 0, 1 << 30, Frame))
        return std::string(Name) + " '" + Value + "' is not a frame number (0 is the first frame)";
    return {};
}

std::string ApplyFrom(const std::string& Value, ExportOptions& Options)
{
    return ApplyFrame("--from", Value, Options.From);
}

std::string ApplyTo(const std::string& Value, ExportOptions& Options) { return ApplyFrame("--to", Value, Options.To); }

std::string ApplyMs(const std::string& Value, ExportOptions& Options)
{
    if (!ReadNumber(Value, 1, MaxGifDelayMs, Options.Ms))
        return "--ms '" + Value + "' is not a number of milliseconds from 1 to " + std::to_string(MaxGifDelayMs);
    return {};
}

std::string ApplyView(const std::string& Value, ExportOptions& Options)
{
    if (Value == "altitude")
        Options.View = ExportView::Altitude;
    else if (Value == "skewt")
        Options.View = ExportView::SkewT;
    else if (Value == "hodograph")
        Options.View = ExportView::Hodograph;
    else
        return "--view '" + Value + "' is not altitude, skewt or hodograph";
    return {};
}

std::string ApplyPeriod(const std::string& Value, ExportOptions& Options)
{
    if (Value != "por" && Value != "y2d")
        return "--period '" + Value + "' is not por (whole record) or y2d (this year)";
    Options.Period = Value;
    return {};
}

std::string ApplyDate(const char* Name, const std::string& Value, std::string& Date)
{
    if (!sounding::IsDateText(Value)) return std::string(Name) + " '" + Value + "' is not a date YYYY-MM-DD";
    Date = Value;
    return {};
}

std::string ApplyFromDate(const std::string& Value, ExportOptions& Options)
{
    return ApplyDate("--from-date", Value, Options.FromDate);
}

std::string ApplyToDate(const std::string& Value, ExportOptions& Options)
{
    return ApplyDate("--to-date", Value, Options.ToDate);
}

std::string ApplyClimatologyFrom(const std::string& Value, ExportOptions& Options)
{
    if (Value.empty()) return "--climatology-from needs a file or an IGRA station";
    Options.ClimatologyFrom = Value;
    return {};
}

constexpr ValueSwitch kValues[] = {
    {"--settings", ApplySettings},
    {"--series", ApplySeries},
    {"--size", ApplySize},
    {"--from", ApplyFrom},
    {"--to", ApplyTo},
    {"--ms", ApplyMs},
    {"--from-date", ApplyFromDate},
    {"--to-date", ApplyToDate},
    {"--view", ApplyView},
    {"--period", ApplyPeriod},
    {"--climatology-from", ApplyClimatologyFrom},
};

// The value options that apply to every output, not to pictures only.
bool ForEveryOutput(std::string_view Name, bool Stations)
{
    // With stations the settings also name the archive's address.
    return Name == "--from-date" || Name == "--to-date" || Name == "--period" || Name == "--climatology-from" ||
           (Stations && Name == "--settings");
}

// An IGRA v2 station id, 11 letters and digits; upper-cased.
bool ReadStationId(const std::string& Value, std::string& Id)
{
    if (Value.size() != 11) return false;
    Id = Value;
    for (char& c : Id) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

const ValueSwitch* FindValue(std::string_view Name)
{
    for (const ValueSwitch& v : kValues)
        if (v.Name == Name) return &v;
    return nullptr;
}

}  // namespace

bool ExportOptions::WantsPictures() const
{
    for (const ExportTarget& t : Targets)
        if (t.Format != ExportFormat::Csv && t.Format != ExportFormat::Levels && t.Format != ExportFormat::Indices &&
            t.Format != ExportFormat::Climatology)
            return true;
    return false;
}

bool ExportOptions::ClimatologyOnly() const
{
    return !ClimatologyFrom.empty() && !Targets.empty() &&
           std::all_of(Targets.begin(), Targets.end(),
                       [](const ExportTarget& T) { return T.Format == ExportFormat::Climatology; });
}

std::string ParseSeriesList(const std::string& List, TSeriesChoice& Choice)
{
    struct Name {
        std::string_view Text;
        int Slot;  // -1: points, -2: markers
    };
    static constexpr Name kNames[] = {
        {"standard", 1},      {"dalr", 2},      {"elr", 3},     {"salr", 4},     {"dewpoint", 5},
        {"winddirection", 6}, {"windspeed", 7}, {"points", -1}, {"markers", -2},
    };
    TSeriesChoice result;
    std::string_view rest = List;
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = TrimBlanks(rest.substr(0, comma));
        if (!item.empty()) {
            const std::string name = jt::LowerAZ(item);
            const Name* found = nullptr;
            for (const Name& n : kNames)
                if (n.Text == name) found = &n;
            if (!found)
                return "--series: unknown series '" + std::string(item) +
                       "' (standard, dalr, elr, salr, dewpoint, winddirection, windspeed, points, markers)";
            if (found->Slot == -1)
                result.Points = true;
            else if (found->Slot == -2)
                result.Markers = true;
            else
                result.Shown[found->Slot] = true;
        }
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    Choice = result;
    return {};
}

namespace {

std::string ClimatologyUsage()
{
    return "  --climatology OUT.csv\n"
           "                     the station climatology of the launches read: rows\n"
           "                     hour,quantity,day,height,count,p10,p25,p50,p75,p90\n"
           "                     for the groups 00 (launched 18-05 UTC) and 12 (06-17),\n"
           "                     days 1-365 (each with the launches within 15 days),\n"
           "                     temperature and dew_point at 0-20000 m by 250 m, then\n"
           "                     every --indices and --levels column per day; the\n"
           "                     percentiles (to 0.1) are empty below 20 launches\n"
           "  --climatology-from FILE|STATION\n"
           "                     make --climatology from this file, or from the whole\n"
           "                     record of an IGRA station (id or name; downloaded into\n"
           "                     the cache, the climatology kept beside it), instead of\n"
           "                     the inputs (the dates narrow the inputs only)\n";
}

// The options of the station downloads and of the pictures.
std::string StationAndPictureUsage()
{
    return "Stations of the IGRA v2 archive (read after the files, merged with them):\n"
           "  --station ID       the station's file, downloaded into the cache\n"
           "                     ($XDG_CACHE_HOME/profilora/igra/) or revalidated there;\n"
           "                     may be given more than once\n"
           "  --period por|y2d   the whole record or this year's file (default y2d)\n"
           "  --offline          only the copies in the cache, no network (also for\n"
           "                     --climatology-from)\n"
           "  --clear-cache      empty the cache first (its station files, station list\n"
           "                     and leftover partial downloads); alone, only that\n"
           "  --settings FILE    also names the archive: [Sources] IGRA=ADDRESS\n"
           "\n"
           "Picture options (the chart is the one the program shows; --settings and\n"
           "--size also shape --section):\n"
           "  --settings FILE    settings file as the program reads it (default: the\n"
           "                     built-in settings)\n"
           "  --series LIST      series shown besides the temperature, separated by\n"
           "                     commas: standard, dalr, elr, salr, dewpoint,\n"
           "                     winddirection, windspeed; points and markers for the\n"
           "                     temperature's point markers and value marks\n"
           "  --size WxH         picture size in pixels (default 705x313, sides 16 to 4096)\n"
           "  --view VIEW        what --png and --gif draw: altitude (the chart, the\n"
           "                     default), skewt (the skew-T log-p diagram with the\n"
           "                     lifted parcel, wind barbs and hodograph, default size\n"
           "                     700x620) or hodograph (the hodograph alone, default\n"
           "                     size 500x500)\n"
           "  --from I, --to J   only the frames I to J (0 is the first sounding, counted\n"
           "                     after the dates have been applied)\n";
}

}  // namespace

std::string ExportUsage()
{
    return "Usage: profilora-export FILE... --csv [OUT.csv] [DATES]\n"
           "  or:  profilora-export FILE... --png DIR [DATES] [PICTURE OPTIONS]\n"
           "  or:  profilora-export FILE... --gif OUT.gif [--ms N] [DATES] [PICTURE OPTIONS]\n"
           "  or:  profilora-export FILE... --section OUT.png [DATES] [--size WxH] [--settings FILE]\n"
           "  or:  profilora-export FILE... --levels OUT.csv [DATES]\n"
           "  or:  profilora-export FILE... --indices OUT.csv [DATES]\n"
           "  or:  profilora-export FILE... --climatology OUT.csv [DATES]\n"
           "  or:  profilora-export --climatology OUT.csv --climatology-from FILE|STATION\n"
           "  or:  profilora-export --station ID [--period por|y2d] [--offline] [FILE...] --csv ...\n"
           "  or:  profilora-export --clear-cache\n"
           "\n"
           "Reads sounding pages, IGRA v2 station files (plain, .gz or .zip) and\n"
           "University of Wyoming TEXT:LIST pages, told apart by their content, and\n"
           "writes their soundings. Several files are merged in time order, each\n"
           "launch (station, date and hour) kept once.\n"
           "  --csv [OUT.csv]    one CSV row per level (standard output without OUT.csv\n"
           "                     or with \"-\"); also --csv=OUT.csv\n"
           "  --png DIR          one picture of the chart per sounding, DIR/frame_0000.png,\n"
           "                     ... numbered by sounding (DIR is created when missing)\n"
           "  --gif OUT.gif      the soundings as an animated GIF, looping forever\n"
           "  --ms N             milliseconds per GIF frame, 1 to 655350 (default: the\n"
           "                     settings' ms_per_frame); stored in hundredths of a\n"
           "                     second, at least 20 ms\n"
           "  --section OUT.png  the whole page as a time-height section: temperature as\n"
           "                     colour over launch time and height (0 to HeightMax of\n"
           "                     the settings' [Year] section, 20000 m by default),\n"
           "                     with the freezing level and the tropopause as lines\n"
           "                     (default size 705x313)\n"
           "  --anomaly          --section draws each cell's departure from the day's\n"
           "                     median of the station's climatology (K, blue below,\n"
           "                     red above), from a record of at least 5 years\n"
           "  --levels OUT.csv   one CSV row per sounding: sounding, title, surface_height,\n"
           "                     freezing_level, warm_layer_base, warm_layer_top,\n"
           "                     warm_layer_max_temperature, tropopause_height,\n"
           "                     tropopause_temperature, tropopause_pressure,\n"
           "                     inversion_base, inversion_top, inversion_strength (m, C,\n"
           "                     hPa, to 0.1; an empty field: the sounding has no such\n"
           "                     level)\n"
           "  --indices OUT.csv  one CSV row per sounding with its stability indices:\n"
           "                     Showalter, lifted, SWEAT, K and totals indices, CAPE and\n"
           "                     CIN (J/kg), EL and LFC (hPa), bulk Richardson number,\n"
           "                     LCL (K, hPa), mixed-layer theta (K) and mixing ratio\n"
           "                     (g/kg), 1000-500 hPa thickness (m), precipitable water\n"
           "                     (mm), surface-based and most-unstable CAPE and CIN,\n"
           "                     then the wind: bulk shear 0-1, 0-3 and 0-6 km, the\n"
           "                     0-6 km mean wind, the right and left movers, storm-\n"
           "                     relative helicity 0-1 and 0-3 km, the effective inflow\n"
           "                     layer with its helicity and shear, STP and SCP\n"
           "                     (\"-\": standard output; an empty field: the sounding\n"
           "                     cannot give it)\n" +
           ClimatologyUsage() +
           "  --strict           a launch skipped for a damaged line fails the export\n"
           "                     (exit 1, nothing written); without it the launches\n"
           "                     that read are written and each skipped one is told\n"
           "                     on standard error\n"
           "  -h, --help         this text\n"
           "  --version          the program's version\n"
           "\n"
           "Dates (all outputs):\n"
           "  --from-date YYYY-MM-DD, --to-date YYYY-MM-DD\n"
           "                     only the soundings launched on these days or between\n"
           "                     them (either may be left out)\n"
           "\n" +
           StationAndPictureUsage() +
           "Every option also takes the form --option=VALUE.\n"
           "\n"
           "Outputs are written whole or not at all: a file is replaced only once it\n"
           "is complete, keeping its mode; a symbolic link is followed to the file it\n"
           "names; a FIFO, a device or standard output (\"-\", /dev/stdout) is written\n"
           "straight through. An output that is any of the input files or the settings\n"
           "file (by any name), or a write-protected file, is refused.\n"
           "\n"
           "Exit status, the same for every output: 0 done, 1 failure (unreadable input\n"
           "or settings, a value that is not a number, bad arguments, an output refused,\n"
           "write error, a skipped launch with --strict, a failed download), 2 no\n"
           "input holds sounding data or a sounding, or none was launched between the\n"
           "dates (nothing is written).\n";
}

namespace {

// Where a reading of the arguments stands: the argument at I and what was
// read before it.
struct ArgumentReader {
    const std::vector<std::string>& Args;
    ExportOptions& Options;
    std::size_t I = 0;
    bool PageNamed = false;
    bool OptionsEnded = false;
    std::vector<std::string_view> Given;  // the options that take a value, as given

    // The value after "=" in the argument, else the next argument (then
    // read); false when there is none.
    bool Value(std::size_t Equals, std::string& Text)
    {
        const std::string& arg = Args[I];
        if (Equals != std::string::npos)
            Text = arg.substr(Equals + 1);
        else if (I + 1 < Args.size())
            Text = Args[++I];
        else
            return false;
        return true;
    }

    std::string Station(std::size_t Equals);
    std::string Valued(const ValueSwitch& Switch, const std::string& Name, std::size_t Equals);
    std::string Output(const FormatSwitch& Format, const std::string& Name, std::size_t Equals);
    std::string Next();
};

// Any number of stations.
std::string ArgumentReader::Station(std::size_t Equals)
{
    std::string value;
    if (!Value(Equals, value)) return "--station needs a station id";
    std::string id;
    if (!ReadStationId(value, id))
        return "--station '" + value + "' is not an IGRA station id (11 letters and digits, e.g. USM00072403)";
    Options.Stations.push_back(id);
    return {};
}

std::string ArgumentReader::Valued(const ValueSwitch& Switch, const std::string& Name, std::size_t Equals)
{
    for (std::string_view g : Given)
        if (g == Switch.Name) return std::string(Switch.Name) + " given more than once";
    Given.push_back(Switch.Name);
    std::string text;
    if (!Value(Equals, text)) return Name + " needs a value";
    return Switch.Apply(text, Options);
}

std::string ArgumentReader::Output(const FormatSwitch& Format, const std::string& Name, std::size_t Equals)
{
    const std::string& arg = Args[I];
    ExportTarget target;
    target.Format = Format.Format;
    if (Equals != std::string::npos) {
        target.Path = Format.NeedsPath ? arg.substr(Equals + 1) : OutputPath(arg.substr(Equals + 1));
    } else if (Format.NeedsPath) {
        if (I + 1 < Args.size()) target.Path = Args[++I];
    } else if ((PageNamed || !Options.Stations.empty()) && I + 1 < Args.size() && !Args[I + 1].empty() &&
               (Args[I + 1] == "-" || Args[I + 1][0] != '-')) {
        // The output file follows its switch; before the page (or a
        // station) is named a plain argument is the page ("--csv PAGE.html").
        target.Path = OutputPath(Args[++I]);
    }
    if (Format.NeedsPath && target.Path.empty())
        return Name + (Format.Format == ExportFormat::Png ? " needs a directory" : " needs a file name");
    // "-" is standard output for every output but the frames' folder.
    if (target.Path == "-") {
        if (Format.Format == ExportFormat::Png) return Name + " needs a directory, not standard output";
        target.Path = Format.Format == ExportFormat::Levels || Format.Format == ExportFormat::Indices ||
                              Format.Format == ExportFormat::Climatology
                          ? std::string()
                          : std::string("/dev/stdout");
    }
    Options.Targets.push_back(target);
    return {};
}

// Reads the argument at I (and the value it takes); what is wrong with it,
// or nothing.
std::string ArgumentReader::Next()
{
    const std::string& arg = Args[I];
    const bool looksLikeSwitch = !OptionsEnded && arg.size() > 1 && arg[0] == '-';
    if (!looksLikeSwitch) {
        if (!PageNamed) Options.PagePath = arg;
        Options.Inputs.push_back(arg);
        PageNamed = true;
        return {};
    }
    if (arg == "--") {
        OptionsEnded = true;
        return {};
    }
    if (arg == "-h" || arg == "--help") {
        Options.Help = true;
        return {};
    }
    if (arg == "--anomaly") {
        Options.Anomaly = true;
        return {};
    }
    if (arg == "--strict" || arg == "--offline" || arg == "--clear-cache") {
        (arg == "--strict" ? Options.Strict : arg == "--offline" ? Options.Offline : Options.ClearCache) = true;
        return {};
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (name == "--station") return Station(equals);
    if (const ValueSwitch* value = FindValue(name)) return Valued(*value, name, equals);
    const FormatSwitch* format = FindFormat(name);
    if (!format) return "unknown option '" + arg + "'";
    return Output(*format, name, equals);
}

// What is wrong with the options read as a whole, or nothing.
std::string CheckTogether(ExportOptions& Options, bool PageNamed, const std::vector<std::string_view>& Given)
{
    if ((!PageNamed || Options.PagePath.empty()) && Options.Stations.empty() && !Options.ClimatologyOnly())
        return "no page given";
    if (Options.Stations.empty() && !Options.Period.empty()) return "--period applies to --station only";
    if (Options.Stations.empty() && Options.ClimatologyFrom.empty() && Options.Offline)
        return "--offline applies to --station and --climatology-from only";
    if (Options.Targets.empty())
        return "no output chosen (--csv, --png, --gif, --section, --levels, --indices or --climatology)";
    if (!Options.ClimatologyFrom.empty() && !Options.Anomaly &&
        std::none_of(Options.Targets.begin(), Options.Targets.end(),
                     [](const ExportTarget& T) { return T.Format == ExportFormat::Climatology; }))
        return "--climatology-from applies to --climatology and --anomaly only";
    int toStdout = 0;
    bool gif = false;
    for (const ExportTarget& t : Options.Targets) {
        if (t.Path.empty() || t.Path == "/dev/stdout") ++toStdout;
        if (t.Format == ExportFormat::Gif) gif = true;
    }
    if (toStdout > 1) return "only one output can go to standard output";
    if (!Options.WantsPictures())
        for (std::string_view g : Given)
            if (!ForEveryOutput(g, !Options.Stations.empty()))
                return std::string(g) + " applies to --png, --gif and --section only";
    if (Options.Anomaly && std::none_of(Options.Targets.begin(), Options.Targets.end(),
                                        [](const ExportTarget& T) { return T.Format == ExportFormat::Section; }))
        return "--anomaly applies to --section only";
    if (!Options.FromDate.empty() && !Options.ToDate.empty() && Options.FromDate > Options.ToDate)
        return "--from-date " + Options.FromDate + " lies after --to-date " + Options.ToDate;
    if (!gif && Options.Ms != 0) return "--ms applies to --gif only";
    if (Options.From >= 0 && Options.To >= 0 && Options.From > Options.To)
        return "--from " + std::to_string(Options.From) + " lies after --to " + std::to_string(Options.To);
    return {};
}

}  // namespace

std::string ParseExportArguments(const std::vector<std::string>& Args, ExportOptions& Options)
{
    Options = ExportOptions();
    ArgumentReader reader{Args, Options, 0, false, false, {}};
    for (; reader.I < Args.size(); ++reader.I) {
        const std::string problem = reader.Next();
        if (!problem.empty()) return problem;
    }
    if (Options.Help) return {};
    if (Options.ClearCache && !reader.PageNamed && Options.Stations.empty() && Options.Targets.empty()) return {};
    const bool sectionWanted = std::any_of(Options.Targets.begin(), Options.Targets.end(),
                                           [](const ExportTarget& T) { return T.Format == ExportFormat::Section; });
    if (Options.View != ExportView::Altitude && !sectionWanted &&
        std::find(reader.Given.begin(), reader.Given.end(), "--size") == reader.Given.end()) {
        const bool skewT = Options.View == ExportView::SkewT;
        Options.Width = skewT ? SkewTFrameWidth : HodographFrameSide;
        Options.Height = skewT ? SkewTFrameHeight : HodographFrameSide;
    }
    return CheckTogether(Options, reader.PageNamed, reader.Given);
}
