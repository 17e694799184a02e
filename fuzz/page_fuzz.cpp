// The sounding page reader on arbitrary bytes, compared with a plain reading
// of the page rules (every marker search done afresh on sorted lists of all
// occurrences, no remembered scans), then the CSV export of the result read
// back field by field.
//
// Promises checked: no crash, hang or sanitizer report; the same soundings,
// titles and levels (bit for bit) as the plain reading, the same failure
// message when a cell is not a number, the same missing-data result (and no box of its own); a load
// started from inside a load leaves exactly one page's soundings; the CSV
// has one row per level (one per empty sounding) and every value reads back
// to the same single-precision number.

#include "fuzz/FuzzSupport.h"

#include "components/jtSysUtils.h"
#include "sounding/LapseRates.h"
#include "tools/CsvExport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

// ---------------------------------------------------------------- plain reading

// Every start of one marker in the page, in order.
class Occurrences {
public:
    Occurrences(std::string_view Page, std::string_view Marker) : length_(Marker.size())
    {
        for (std::size_t p = Page.find(Marker); p != std::string_view::npos; p = Page.find(Marker, p + 1))
            at_.push_back(p);
    }
    // The first occurrence lying wholly inside [Begin, End), or npos.
    std::size_t First(std::size_t Begin, std::size_t End) const
    {
        const auto it = std::lower_bound(at_.begin(), at_.end(), Begin);
        if (it == at_.end() || *it + length_ > End) return std::string_view::npos;
        return *it;
    }
    std::size_t Length() const { return length_; }

private:
    std::size_t length_;
    std::vector<std::size_t> at_;
};

// A stretch of the page, [Begin, End).
struct Span {
    std::size_t Begin = 0, End = 0;
    bool Empty() const { return End <= Begin; }
};

struct PlainResult {
    std::vector<TSounding> Soundings;
    bool BadData = false;
    bool Failed = false;
    std::string Message;
    int Tables = 0;  // tables handed to the sounding reader
};

class PlainReader {
public:
    explicit PlainReader(std::string_view Page)
        : page_(Page),
          upper_(Upper(Page)),
          header_(upper_, "END: NCDC PAGE HEADER"),
          footer_(upper_, "NCDC PAGE FOOTER"),
          tableStart_(Page, "<table"),
          tableEnd_(Page, "</table>"),
          columnHead_(Page, "dpdiff_C</TD>"),
          rowStart_(Page, "<TR>"),
          rowEnd_(Page, "</TR>"),
          cellStart_(Page, "center'>"),
          cellEnd_(Page, "</TD>")
    {
    }

    PlainResult Read()
    {
        PlainResult r;
        const Span body = Between({0, page_.size()}, header_, footer_);
        if (body.Empty()) {
            r.BadData = true;
            return r;
        }
        Span rest = body;
        try {
            while (!rest.Empty()) {
                const std::size_t s = tableStart_.First(rest.Begin, rest.End);
                if (s == npos) break;
                const std::size_t e = tableEnd_.First(rest.Begin, rest.End);
                if (e == npos) break;
                const Span table = e >= s ? Span{s, e + 1} : Span{};
                rest = {e + tableEnd_.Length(), rest.End};
                ++r.Tables;
                Sounding(table, r.Soundings);
            }
        } catch (const EConvertError& e) {
            r.Failed = true;
            r.Message = e.Message();
        }
        return r;
    }

private:
    static constexpr std::size_t npos = std::string_view::npos;

    static std::string Upper(std::string_view Text)
    {
        std::string out(Text);
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = char(c - 32);
        return out;
    }
    static Span After(Span In, const Occurrences& M)
    {
        const std::size_t p = M.First(In.Begin, In.End);
        return p == npos ? Span{} : Span{p + M.Length(), In.End};
    }
    static Span Before(Span In, const Occurrences& M)
    {
        const std::size_t p = M.First(In.Begin, In.End);
        return p == npos ? Span{} : Span{In.Begin, p};
    }
    static Span Between(Span In, const Occurrences& A, const Occurrences& B) { return Before(After(In, A), B); }
    std::string Text(Span S) const
    {
        return S.Empty() ? std::string() : std::string(page_.substr(S.Begin, S.End - S.Begin));
    }

    void Sounding(Span Table, std::vector<TSounding>& Out)
    {
        if (Table.Empty()) return;
        Out.emplace_back();
        TSounding& sounding = Out.back();
        Span rest = After(After(Table, columnHead_), rowEnd_);
        bool first = true;
        do {
            const Span row = Between(rest, rowStart_, rowEnd_);
            rest = After(rest, rowEnd_);
            if (first) {
                sounding.Title = Text(Between(row, cellStart_, cellEnd_));
                first = false;
            }
            Level(sounding, row);
        } while (!rest.Empty());
        sounding.FixSurface();
    }

    void Level(TSounding& Sounding, Span Row)
    {
        Span cells = After(Row, cellEnd_);
        if (cells.Empty()) return;
        float v[6];
        for (float& x : v) x = Cell(cells);
        // Beyond the atmosphere's ranges a value is missing; without a
        // temperature there is no level.
        const auto in = [](float X, float Lo, float Hi) { return X >= Lo && X <= Hi ? X : -9999.0f; };
        if (!(v[2] >= -150 && v[2] <= 80)) return;
        Sounding.AddLevel(v[0] > 0 && v[0] <= 1100 ? v[0] : -9999.0f, in(v[1], -1000, 100000), v[2], in(v[3], 0, 100),
                          in(v[4], 0, 360), in(v[5], 0, 200));
    }

    float Cell(Span& Cells)
    {
        const std::string text = Text(Between(Cells, cellStart_, cellEnd_));
        Cells = After(Cells, cellEnd_);
        if (text.empty()) return -9999.0f;
        const double d = jt::TextToFloat(text, '.');
        constexpr double largest = std::numeric_limits<float>::max();
        if (d > largest) return std::numeric_limits<float>::infinity();
        if (d < -largest) return -std::numeric_limits<float>::infinity();
        return float(d);
    }

    std::string_view page_;
    std::string upper_;
    Occurrences header_, footer_, tableStart_, tableEnd_, columnHead_, rowStart_, rowEnd_, cellStart_, cellEnd_;
};

// ---------------------------------------------------------------- comparing

bool SameBits(float A, float B) { return std::memcmp(&A, &B, sizeof A) == 0; }

bool SameLevel(const TSoundingLevel& A, const TSoundingLevel& B)
{
    return SameBits(A.Pressure, B.Pressure) && SameBits(A.Height, B.Height) && SameBits(A.Temperature, B.Temperature) &&
           SameBits(A.DewPointDiff, B.DewPointDiff) && SameBits(A.WindDirection, B.WindDirection) &&
           SameBits(A.WindSpeed, B.WindSpeed);
}

void CheckSame(const std::vector<TSounding>& Got, const std::vector<TSounding>& Want, const std::string& What)
{
    FUZZ_CHECK(Got.size() == Want.size(),
               What + ": " + std::to_string(Got.size()) + " soundings, plain reading " + std::to_string(Want.size()));
    for (std::size_t i = 0; i < Got.size(); ++i) {
        FUZZ_CHECK(Got[i].Title == Want[i].Title, What + ": title of sounding " + std::to_string(i) + " '" +
                                                      fuzz::Printable(Got[i].Title) + "' vs '" +
                                                      fuzz::Printable(Want[i].Title) + "'");
        FUZZ_CHECK(Got[i].Levels.size() == Want[i].Levels.size(),
                   What + ": level count of sounding " + std::to_string(i));
        for (std::size_t j = 0; j < Got[i].Levels.size(); ++j)
            FUZZ_CHECK(SameLevel(Got[i].Levels[j], Want[i].Levels[j]),
                       What + ": level " + std::to_string(j) + " of sounding " + std::to_string(i));
    }
}

// ---------------------------------------------------------------- CSV

// The fields of one CSV record starting at Pos; Pos moves past its line end.
std::vector<std::string> CsvRecord(const std::string& Csv, std::size_t& Pos)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    while (Pos < Csv.size()) {
        const char c = Csv[Pos++];
        if (quoted) {
            if (c == '"') {
                if (Pos < Csv.size() && Csv[Pos] == '"') {
                    fields.back() += '"';
                    ++Pos;
                } else {
                    quoted = false;
                }
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            return fields;
        } else {
            fields.back() += c;
        }
    }
    FUZZ_CHECK(false, "CSV ends without a line end");
}

void CheckCsv(const TLapseRates& Set)
{
    const std::string csv = SoundingsToCsv(Set);
    std::size_t pos = 0;
    const std::vector<std::string> header = CsvRecord(csv, pos);
    FUZZ_CHECK(header.size() == 8 && header[0] == "sounding", "CSV header");
    for (std::size_t i = 0; i < Set.Soundings.size(); ++i) {
        const TSounding& s = Set.Soundings[i];
        const std::size_t rows = std::max<std::size_t>(1, s.Levels.size());
        for (std::size_t j = 0; j < rows; ++j) {
            FUZZ_CHECK(pos < csv.size(), "CSV has too few rows");
            const std::vector<std::string> f = CsvRecord(csv, pos);
            FUZZ_CHECK(f.size() == 8, "CSV row of " + std::to_string(f.size()) + " fields");
            FUZZ_CHECK(f[0] == std::to_string(i), "CSV sounding index");
            FUZZ_CHECK(f[1] == s.Title, "CSV title '" + fuzz::Printable(f[1]) + "'");
            if (s.Levels.empty()) {
                for (int k = 2; k < 8; ++k) FUZZ_CHECK(f[size_t(k)].empty(), "CSV empty sounding has values");
                continue;
            }
            const TSoundingLevel& l = s.Levels[j];
            const float want[6] = {l.Pressure, l.Height, l.Temperature, l.DewPointDiff, l.WindDirection, l.WindSpeed};
            for (int k = 0; k < 6; ++k) {
                const std::string& text = f[size_t(k + 2)];
                char* end = nullptr;
                const float got = std::strtof(text.c_str(), &end);
                FUZZ_CHECK(!text.empty() && end == text.c_str() + text.size(), "CSV value '" + text + "'");
                FUZZ_CHECK(SameBits(got, want[k]) || (std::isnan(got) && std::isnan(want[k])),
                           "CSV value '" + text + "' does not read back");
            }
        }
    }
    FUZZ_CHECK(pos == csv.size(), "CSV has rows beyond the soundings");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv)
{
    fuzz::InitCore(Argc, Argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string_view page(reinterpret_cast<const char*>(Data), Size);
    fuzz::QuietPlatform quiet;

    const PlainResult want = PlainReader(page).Read();

    // The reader itself.
    TLapseRates set;
    set.Current = 7;  // a load keeps the cursor
    int calls = 0;
    set.ProcessMessages = [&] { ++calls; };
    bool failed = false;
    std::string message;
    TPageLoad result = TPageLoad::Read;
    try {
        result = set.LoadPage(page);
    } catch (const EConvertError& e) {
        failed = true;
        message = e.Message();
    }
    FUZZ_CHECK(set.Current == 7, "a load moved the cursor");
    FUZZ_CHECK(failed == want.Failed, std::string("failure: reader ") + (failed ? "failed" : "passed"));
    FUZZ_CHECK(message == want.Message,
               "message '" + fuzz::Printable(message) + "' vs '" + fuzz::Printable(want.Message) + "'");
    FUZZ_CHECK((result == TPageLoad::MissingData) == want.BadData, "missing data result");
    FUZZ_CHECK(quiet.Prompts.Boxes.empty(), "the reader showed a box");
    // Messages are processed after every table read completely.
    FUZZ_CHECK(calls == want.Tables - (want.Failed ? 1 : 0),
               "message processing " + std::to_string(calls) + " times for " + std::to_string(want.Tables) + " tables");
    CheckSame(set.Soundings, want.Soundings, "reader");
    CheckCsv(set);

    // Plot every frame once, as the movie does.
    struct Counting : TPlotSeries {
        std::size_t Points = 0;
        void Clear() override { Points = 0; }
        void SetXOrderNone() override {}
        void AddXY(double, double) override { ++Points; }
    } series;
    set.Current = -1;
    for (int i = 0; i < set.Count(); ++i) set.PlotNext(series);
    FUZZ_CHECK(set.Count() == 0 || set.Current == 0, "the movie does not come round");

    // A second load started while the first processes its messages: the
    // newest load wins and the set holds one page, not one and a half.
    if (want.Tables >= 2 && !want.Failed) {
        quiet.Prompts.Boxes.clear();
        TLapseRates again;
        bool nested = false;
        again.ProcessMessages = [&] {
            if (nested) return;
            nested = true;
            again.LoadPage(page);
        };
        again.LoadPage(page);
        CheckSame(again.Soundings, want.Soundings, "load within a load");
    }
    return 0;
}
