// Stress driver: makes hostile or huge inputs and reads them the way the
// program does, reporting the outcome, the time of each step and the peak
// memory (VmHWM). scripts/stress runs it over every input; without a command
// it runs as an ordinary benchmark of a generated year.
//
//   stress_bench make-page FILE LAUNCHES     a page of generated launches
//   stress_bench make-empty-tables FILE N    a page of N empty tables
//   stress_bench make-wide-row FILE CELLS    one table, one row of CELLS cells
//   stress_bench make-random FILE MB         random bytes
//   stress_bench make-settings FILE N        a settings file of N sections
//   stress_bench make-catalogue FILE MB      a catalogue section of MB megabytes
//   stress_bench page FILE                   read, parse and play every frame
//   stress_bench settings FILE               load, read every section, save
//
// Message boxes go to standard output; nothing waits for a user.

#include "chart/Chart.h"
#include "chart/Series.h"
#include "components/jtFile_IO.h"
#include "components/jtControls.h"
#include "components/jtINI_File.h"
#include "platform/Fakes.h"
#include "sounding/LapseRates.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point T) { return std::chrono::duration<double>(Clock::now() - T).count(); }

// Peak resident memory of this process so far, in MB.
double PeakMB()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return -1;
}

// Message boxes of a run without a user: printed, answered with OK/Cancel.
class PrintedPrompts : public platform::Prompts {
public:
    int Shown = 0;
    platform::MsgResult MessageBox(const std::string& Text, const std::string& Caption, platform::MsgButtons Buttons,
                                   platform::MsgIcon) override
    {
        ++Shown;
        std::string text;
        for (char c : Text) text += (c == '\r' || c == '\n') ? ' ' : c;
        std::printf("  box \"%s\": %s\n", Caption.c_str(), text.c_str());
        return Buttons == platform::MsgButtons::OK ? platform::MsgResult::OK : platform::MsgResult::Cancel;
    }
    bool OpenFileDialog(const platform::FileDialogSetup&, std::string&) override { return false; }
    bool SaveFileDialog(const platform::FileDialogSetup&, std::string&) override { return false; }
    bool ColorDialog(std::uint32_t, std::uint32_t&) override { return false; }
};

// ---------------------------------------------------------------- inputs

void AddCell(std::string& Out, const char* Text)
{
    Out += "<TD align='center'>";
    Out += Text;
    Out += "</TD>";
}

const char* const kHeader =
    "<html><head><title>Generated soundings</title></head><body>\n<!-- end: NCDC PAGE HEADER -->\n";
const char* const kFooter = "\n<!-- begin: NCDC PAGE FOOTER -->\n</body></html>\n";

std::string ColumnHead()
{
    std::string out = "<table border='1' cellpadding='2'>\n<TR>";
    for (const char* head : {"launch", "pressure_mb", "height_m", "temp_C", "dpdiff_C", "wdir_deg", "wspd_ms"})
        AddCell(out, head);
    return out + "</TR>\n";
}

// One launch in the layout of the station pages, about 110 levels.
std::string Launch(int Index, std::mt19937& Random)
{
    std::uniform_int_distribution<int> rows(100, 120);
    std::uniform_real_distribution<double> jitter(-0.5, 0.5);
    char title[64], cell[64];
    std::snprintf(title, sizeof title, "94610 %04d-%02d-%02d %02dZ", 2000 + Index / 730, Index / 61 % 12 + 1,
                  Index / 2 % 28 + 1, Index % 2 * 12);
    std::string out = "\n";
    out += ColumnHead();
    const int n = rows(Random);
    for (int i = 0; i < n; ++i) {
        out += "<TR>";
        AddCell(out, title);
        std::snprintf(cell, sizeof cell, "%.1f", 1015.0 - i * 8.5);
        AddCell(out, cell);
        // Now and then a level without a height, as the real pages have.
        if (i % 17 == 3)
            AddCell(out, "");
        else {
            std::snprintf(cell, sizeof cell, "%d", 20 + i * 150);
            AddCell(out, cell);
        }
        std::snprintf(cell, sizeof cell, "%.1f", 19.0 - i * 0.6 + jitter(Random));
        AddCell(out, cell);
        std::snprintf(cell, sizeof cell, "%.1f", 2.0 + (i % 9) + jitter(Random));
        AddCell(out, cell);
        std::snprintf(cell, sizeof cell, "%d", (90 + i * 7) % 360);
        AddCell(out, cell);
        std::snprintf(cell, sizeof cell, "%.2f", 5.0 + (i % 13) * 1.3);
        AddCell(out, cell);
        out += "</TR>\n";
    }
    return out + "</table>\n";
}

bool WriteFile(const std::string& Path, const std::string& Text)
{
    std::ofstream out(Path, std::ios::binary);
    return bool(out << Text);
}

int MakePage(const std::string& Path, int Launches)
{
    std::ofstream out(Path, std::ios::binary);
    std::mt19937 random(2006);
    out << kHeader;
    for (int i = 0; i < Launches; ++i) out << Launch(i, random);
    out << kFooter;
    return out ? 0 : 1;
}

int MakeEmptyTables(const std::string& Path, long N)
{
    std::ofstream out(Path, std::ios::binary);
    out << kHeader;
    for (long i = 0; i < N; ++i) out << "<table></table>\n";
    out << kFooter;
    return out ? 0 : 1;
}

int MakeWideRow(const std::string& Path, long Cells)
{
    std::string page = kHeader;
    page += ColumnHead();
    page += "<TR>";
    AddCell(page, "94610 2006-01-01 00Z");
    for (long i = 0; i < Cells; ++i) AddCell(page, i % 7 == 2 ? "15.5" : "1000");
    page += "</TR>\n</table>";
    page += kFooter;
    return WriteFile(Path, page) ? 0 : 1;
}

int MakeRandom(const std::string& Path, long MB)
{
    std::ofstream out(Path, std::ios::binary);
    std::mt19937_64 random(500);
    std::vector<std::uint64_t> block(1 << 17);  // 1 MB
    for (long i = 0; i < MB; ++i) {
        for (auto& w : block) w = random();
        out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size() * 8));
    }
    return out ? 0 : 1;
}

int MakeSettings(const std::string& Path, long N)
{
    // Sections in a scrambled order, so the sorted index is built the hard way.
    std::vector<long> order(static_cast<std::size_t>(N));
    for (long i = 0; i < N; ++i) order[size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(100));
    std::ofstream out(Path, std::ios::binary);
    out << "; generated\r\ntop = 1\r\n";
    for (long i : order) out << "\r\n[Section " << i << "]\r\nkey = " << i << "\r\nother  =\tvalue " << i << "\r\n";
    return out ? 0 : 1;
}

// One section of 28-byte catalogue lines, about MB megabytes in all.
int MakeCatalogue(const std::string& Path, long MB)
{
    std::ofstream out(Path, std::ios::binary);
    out << "[Display at start]\r\nfile = Page 0000000 of 2016.html\r\n\r\n[soundings]\r\n";
    char line[64];
    const long lines = MB * 1000000 / 28;
    for (long i = 0; i < lines; ++i) {
        std::snprintf(line, sizeof line, "Page %07ld of 2016.html=\r\n", i);
        out << line;
    }
    return out ? 0 : 1;
}

// ---------------------------------------------------------------- reading

struct Quiet {
    PrintedPrompts Prompts;
    platform::ScopedPlatform Guard{&Prompts, nullptr, nullptr};
};

// Reads a page as the window does: the file component loads it into the
// hidden text control, the control's text goes to the reader, then every
// frame is shown once with its extra quantities, and every 100th frame is
// drawn.
int ReadPage(const std::string& Path)
{
    Quiet quiet;
    TRichEdit carrier;
    TjtFile_IO file(nullptr);
    file.SetControl(&carrier);
    TLapseRates set;
    set.ProcessMessages = [] { QCoreApplication::processEvents(); };

    Clock::time_point t = Clock::now();
    try {
        file.OpenFile(Path);
    } catch (const Exception& e) {
        std::printf("  refused (%s): %s\n", e.ClassName(), e.Message().c_str());
        std::printf("RESULT read %.2f s, peak %.0f MB\n", Since(t), PeakMB());
        return 0;
    }
    const double read = Since(t);
    const std::size_t bytes = carrier.Text().size();

    t = Clock::now();
    try {
        set.LoadPage(carrier.Text());
    } catch (const Exception& e) {
        std::printf("  failure (%s): %s\n", e.ClassName(), e.Message().c_str());
    }
    const double parse = Since(t);
    std::size_t levels = 0;
    for (const TSounding& s : set.Soundings) levels += s.Levels.size();
    std::printf("  %zu bytes, %d soundings, %zu levels\n", bytes, set.Count(), levels);

    t = Clock::now();
    TChart chart;
    chart.resize(705, 313);
    std::vector<TLineSeries*> series;
    for (int i = 0; i < 8; ++i) series.push_back(chart.AddLineSeries());
    int drawn = 0;
    for (int frame = 0; frame < set.Count(); ++frame) {
        set.PlotNext(*series[0]);
        set.PlotQuantity(sqDewPointDiff, *series[5]);
        set.PlotQuantity(sqWindDirection, *series[6]);
        set.PlotQuantity(sqWindSpeed, *series[7]);
        if (frame % 100 == 0) {
            chart.RenderToImage(QSize(705, 313));
            ++drawn;
        }
    }
    const double play = Since(t);
    std::printf("RESULT read %.2f s, parse %.2f s, play %.2f s (%d frames, %d drawn), peak %.0f MB\n", read, parse,
                play, set.Count(), drawn, PeakMB());
    return 0;
}

int ReadSettings(const std::string& Path)
{
    Quiet quiet;
    Clock::time_point t = Clock::now();
    TjtINI_File ini(nullptr);
    ini.SetIgnore_CmdLine(true);
    ini.SetFilename(Path);
    int reads = 0;
    ini.OnReadComplete = [&](QObject*) { ++reads; };
    try {
        ini.Loaded();
    } catch (const Exception& e) {
        std::printf("  failure (%s): %s\n", e.ClassName(), e.Message().c_str());
    }
    const double load = Since(t);
    std::vector<std::string> sections, keys;
    ini.ReadSections(sections);
    std::size_t records = 0;
    t = Clock::now();
    for (const std::string& s : sections) {
        ini.ReadSection(s, keys);
        records += keys.size();
    }
    const double list = Since(t);
    t = Clock::now();
    ini.SetWriteMode(jtWM_Generate);
    try {
        ini.FileSave();
    } catch (const Exception& e) {
        std::printf("  save failure (%s): %s\n", e.ClassName(), e.Message().c_str());
    }
    const double save = Since(t);
    std::printf("  %d read-complete, %zu sections, %zu keys\n", reads, sections.size(), records);
    std::printf("RESULT load %.2f s, list %.2f s, save %.2f s, peak %.0f MB\n", load, list, save, PeakMB());
    return 0;
}

// ---------------------------------------------------------------- benchmark

void BM_LoadAndPlayYear(benchmark::State& State)
{
    Quiet quiet;
    std::mt19937 random(1);
    std::string page = kHeader;
    for (int i = 0; i < 730; ++i) page += Launch(i, random);
    page += kFooter;
    struct Count : TPlotSeries {
        void Clear() override {}
        void SetXOrderNone() override {}
        void AddXY(double, double) override {}
    } series;
    for (auto _ : State) {
        TLapseRates set;
        set.LoadPage(page);
        for (int i = 0; i < set.Count(); ++i) set.PlotNext(series);
        benchmark::DoNotOptimize(set.Current);
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(page.size()));
}
BENCHMARK(BM_LoadAndPlayYear)->Unit(benchmark::kMillisecond);

// Start-up with a 50 MB settings file, almost all of it one catalogue
// section: the load time, and the peak memory the load adds as a multiple of
// the file's size (peak_per_size).
void BM_LoadCatalogue50MB(benchmark::State& State)
{
    Quiet quiet;
    const std::string path =
        std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/profilora_catalogue_bench.ini";
    if (MakeCatalogue(path, 50) != 0) {
        State.SkipWithError("cannot write the settings file");
        return;
    }
    std::ifstream sized(path, std::ios::binary | std::ios::ate);
    const double fileMB = double(sized.tellg()) / (1024.0 * 1024.0);
    double added = 0;
    for (auto _ : State) {
        // Resets the peak to the present use, so the peak measures this load.
        std::ofstream("/proc/self/clear_refs") << "5";
        const double before = PeakMB();
        {
            TjtINI_File ini(nullptr);
            ini.SetIgnore_CmdLine(true);
            ini.SetFilename(path);
            ini.Loaded();
            benchmark::DoNotOptimize(ini.Sections.Count());
        }
        added = std::max(added, PeakMB() - before);
    }
    std::remove(path.c_str());
    State.counters["file_MB"] = fileMB;
    State.counters["peak_per_size"] = added / fileMB;
}
BENCHMARK(BM_LoadCatalogue50MB)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == "make-page") return MakePage(args[1], std::atoi(args[2].c_str()));
    if (args.size() >= 3 && args[0] == "make-empty-tables") return MakeEmptyTables(args[1], std::atol(args[2].c_str()));
    if (args.size() >= 3 && args[0] == "make-wide-row") return MakeWideRow(args[1], std::atol(args[2].c_str()));
    if (args.size() >= 3 && args[0] == "make-random") return MakeRandom(args[1], std::atol(args[2].c_str()));
    if (args.size() >= 3 && args[0] == "make-settings") return MakeSettings(args[1], std::atol(args[2].c_str()));
    if (args.size() >= 3 && args[0] == "make-catalogue") return MakeCatalogue(args[1], std::atol(args[2].c_str()));
    if (args.size() >= 2 && args[0] == "page") return ReadPage(args[1]);
    if (args.size() >= 2 && args[0] == "settings") return ReadSettings(args[1]);
    return bench::RunBenchmarks(argc, argv, 1);
}
