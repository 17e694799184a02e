#pragma once
// The benchmark programs' start: the command line is Google Benchmark's own,
// and each benchmark runs DefaultRepetitions times unless
// --benchmark_repetitions says otherwise (no benchmark fixes its own count,
// so the flag always holds).

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace bench {

inline int RunBenchmarks(int Argc, char** Argv, int DefaultRepetitions = 3)
{
    std::vector<char*> args(Argv, Argv + Argc);
    bool given = false;
    for (int i = 1; i < Argc; ++i)
        if (std::strncmp(Argv[i], "--benchmark_repetitions", 23) == 0) given = true;
    static std::string repetitions;
    if (!given) {
        repetitions = "--benchmark_repetitions=" + std::to_string(DefaultRepetitions);
        args.insert(args.begin() + 1, repetitions.data());
    }
    int argc = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&argc, args.data());
    if (benchmark::ReportUnrecognizedArguments(argc, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench

#define PROFILORA_BENCHMARK_MAIN() \
    int main(int argc, char** argv) { return bench::RunBenchmarks(argc, argv); }
