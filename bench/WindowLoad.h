#pragma once
// A window load measured from "Read File..." to the first frame drawn, with
// the peak memory the first load of the process adds above the window's
// idle footprint (later loads reuse what the allocator kept and would hide
// the peak).

#include "app/Profilora_frm.h"
#include "chart/Chart.h"
#include "components/jtControls.h"
#include "components/jtFile_IO.h"
#include "sounding/LapseRates.h"

#include <benchmark/benchmark.h>

#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <string>

namespace window_load {

// Resident set size (VmRSS) or its peak (VmHWM), in kB, from the kernel's
// view of this process.
inline long StatusKb(const char* Field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(Field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
    return -1;
}

// Writing 5 to clear_refs resets the peak resident size.
inline void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Loads Path into an emptied Form once per iteration and draws its first
// frame. FirstAddedKb (-1 until then) keeps the peak the first load of the
// process added, in kB, across repetitions.
inline void MeasureLoads(benchmark::State& State, TForm1& Form, const std::string& Path, long& FirstAddedKb)
{
    for (auto _ : State) {
        State.PauseTiming();
        // Start from an empty window each time, as after start-up.
        Form.html_UIRichEdit->Clear();
        Form.LapseRates->Clear();
        Form.LapseRates->Current = -1;
        const long idleKb = StatusKb("VmRSS");
        ResetPeak();
        State.ResumeTiming();

        Form.jtFile_IO1Open(Form.jtFile_IO1, Path);
        Form.Timer1Timer(Form.Timer1);
        Form.Chart1->Repaint();

        State.PauseTiming();
        if (FirstAddedKb < 0) FirstAddedKb = StatusKb("VmHWM") - idleKb;
        State.ResumeTiming();
    }
}

}  // namespace window_load
