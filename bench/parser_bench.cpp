// Reading speed of sounding pages: generated pages of one year (730 launches
// of about 100 levels), four and sixteen years, and the real Perth page.
// Bytes per second should stay the same as pages grow: the reader is one pass.

#include "platform/Platform.h"
#include "sounding/LapseRates.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

// A page in the layout of the station pages: a header, one table per launch
// with a column head and about a hundred rows of seven cells, a footer.
std::string MakePage(int Launches, unsigned Seed)
{
    std::mt19937 random(Seed);
    std::uniform_int_distribution<int> rows(90, 110);
    std::uniform_real_distribution<double> jitter(-0.5, 0.5);
    std::string page =
        "<html><head><title>Generated soundings</title></head><body>\n"
        "<!-- end: NCDC PAGE HEADER -->\n";
    char cell[64];
    auto addCell = [&](const char* text) {
        page += "<TD align='center'>";
        page += text;
        page += "</TD>";
    };
    for (int launch = 0; launch < Launches; ++launch) {
        char title[64];
        std::snprintf(title, sizeof title, "94610 %04d-%02d-%02d %02dZ", 2000 + launch / 730, launch / 61 % 12 + 1,
                      launch / 2 % 28 + 1, launch % 2 * 12);
        page += "\n<table border='1' cellpadding='2'>\n<TR>";
        for (const char* head : {"launch", "pressure_mb", "height_m", "temp_C", "dpdiff_C", "wdir_deg", "wspd_ms"})
            addCell(head);
        page += "</TR>\n";
        const int n = rows(random);
        for (int i = 0; i < n; ++i) {
            const double pressure = 1015.0 - i * 9.5;
            page += "<TR>";
            addCell(title);
            std::snprintf(cell, sizeof cell, "%.1f", pressure);
            addCell(cell);
            std::snprintf(cell, sizeof cell, "%d", 20 + i * 170);
            addCell(cell);
            std::snprintf(cell, sizeof cell, "%.1f", 19.2 - i * 0.65 + jitter(random));
            addCell(cell);
            std::snprintf(cell, sizeof cell, "%.1f", 5.0 + jitter(random) * 4);
            addCell(i % 9 == 4 ? "" : cell);
            std::snprintf(cell, sizeof cell, "%d", (90 + i * 7) % 360);
            addCell(cell);
            std::snprintf(cell, sizeof cell, "%.2f", 9.26 + i * 0.3);
            addCell(cell);
            page += "</TR>\n";
        }
        page += "</table>\n";
    }
    page += "\n<!-- begin: NCDC PAGE FOOTER -->\n</body></html>\n";
    return page;
}

const std::string& GeneratedPage(int Years)
{
    static std::string pages[17];
    std::string& page = pages[Years];
    if (page.empty()) page = MakePage(730 * Years, 2016u + unsigned(Years));
    return page;
}

void LoadOnce(benchmark::State& State, const std::string& Page)
{
    TLapseRates set;
    int count = 0;
    for (auto _ : State) {
        set.LoadPage(Page);
        count = set.Count();
        benchmark::DoNotOptimize(count);
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(Page.size()));
    State.counters["soundings"] = count;
    State.counters["page_MB"] = double(Page.size()) / 1e6;
}

void BM_LoadGeneratedPage(benchmark::State& State) { LoadOnce(State, GeneratedPage(int(State.range(0)))); }
BENCHMARK(BM_LoadGeneratedPage)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

std::string RealPagePath()
{
    if (const char* path = std::getenv("PROFILORA_BENCH_PAGE")) return path;
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "Perth 2016.html").string();
}

void BM_LoadPerth2016(benchmark::State& State)
{
    static const std::string page = [] {
        std::ifstream in(RealPagePath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }();
    if (page.empty()) {
        State.SkipWithError("the Perth page was not found");
        return;
    }
    LoadOnce(State, page);
}
BENCHMARK(BM_LoadPerth2016)->Unit(benchmark::kMillisecond);

}  // namespace

PROFILORA_BENCHMARK_MAIN()
