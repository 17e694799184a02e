#pragma once
// What every fuzz target shares: a quiet platform (no window, no disk), the
// line splitting of the text files, and the check that turns a broken
// promise into a crash libFuzzer records with its input.

#include "platform/Fakes.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Prints what went wrong and aborts, so the fuzzer saves the input.
[[noreturn]] void Fail(const char* Condition, const std::string& Detail, const char* File, int Line);

#define FUZZ_CHECK(Condition, Detail)                                         \
    do {                                                                      \
        if (!(Condition)) ::fuzz::Fail(#Condition, (Detail), __FILE__, __LINE__); \
    } while (0)

// An application object of QtCore only and the "C" locale, created once:
// enough for every target that reads or writes text.
void InitCore(int* Argc, char*** Argv);

// A QApplication on the offscreen platform with the "C" locale, created
// once, for the targets that drive widgets (FuzzWidgets.cpp, built only
// with PROFILORA_GUI).
void InitWidgets(int* Argc, char*** Argv);

// The lines of a text as the text files read them: LF, CR LF or a lone CR
// ends a line; a last line without an end counts.
std::vector<std::string> SplitLines(std::string_view Text);

// Bytes made printable for a failure report.
std::string Printable(std::string_view Text, std::size_t Limit = 400);

// Files held in memory: the writers and the save run at fuzzing speed and
// leave nothing on the disk.
class MemoryFileSystem : public platform::FileSystem {
public:
    std::map<std::string, std::string> Files;

    bool FileExists(const std::string& Path) const override { return Files.count(Path) != 0; }
    bool DeleteFile(const std::string& Path) override { return Files.erase(Path) != 0; }
    bool MoveFile(const std::string& From, const std::string& To) override;
    bool ReadAll(const std::string& Path, std::string& Contents, platform::FileError& Error) override;
    bool WriteAll(const std::string& Path, const std::string& Contents, platform::FileError& Error) override;
};

// The doubles of one fuzz run, installed for its lifetime.
struct QuietPlatform {
    platform::FakePrompts Prompts;
    platform::FakeSystem System;
    MemoryFileSystem Files;
    platform::ScopedPlatform Guard{&Prompts, &System, &Files};
};

}  // namespace fuzz
