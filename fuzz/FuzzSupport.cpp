#include "fuzz/FuzzSupport.h"

#include <QCoreApplication>
#include <QLocale>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

void Fail(const char* Condition, const std::string& Detail, const char* File, int Line)
{
    std::fprintf(stderr, "\n==== broken promise at %s:%d\n  %s\n  %s\n", File, Line, Condition, Detail.c_str());
    std::fflush(stderr);
    std::abort();
}

void InitCore(int* Argc, char*** Argv)
{
    if (!QCoreApplication::instance()) {
        // Qt keeps the references for the application's life.
        static int argc = *Argc;
        static QCoreApplication* app = new QCoreApplication(argc, *Argv);
        (void)app;
    }
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
}

std::vector<std::string> SplitLines(std::string_view Text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < Text.size()) {
        std::size_t end = pos;
        while (end < Text.size() && Text[end] != '\n' && Text[end] != '\r') ++end;
        lines.emplace_back(Text.substr(pos, end - pos));
        pos = end;
        if (pos < Text.size() && Text[pos] == '\r') ++pos;
        if (pos < Text.size() && Text[pos] == '\n') ++pos;
    }
    return lines;
}

std::string Printable(std::string_view Text, std::size_t Limit)
{
    std::string out;
    for (std::size_t i = 0; i < Text.size() && i < Limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(Text[i]);
        if (c >= 32 && c < 127 && c != '\\') {
            out += char(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    if (Text.size() > Limit) out += "...";
    return out;
}

bool MemoryFileSystem::MoveFile(const std::string& From, const std::string& To)
{
    if (Files.count(To) || !Files.count(From)) return false;
    Files[To] = std::move(Files[From]);
    Files.erase(From);
    return true;
}

bool MemoryFileSystem::ReadAll(const std::string& Path, std::string& Contents, platform::FileError& Error)
{
    const auto it = Files.find(Path);
    if (it == Files.end()) {
        Error = {"Cannot open file \"" + Path + "\".", 2};
        return false;
    }
    Contents = it->second;
    return true;
}

bool MemoryFileSystem::WriteAll(const std::string& Path, const std::string& Contents, platform::FileError&)
{
    Files[Path] = Contents;
    return true;
}

}  // namespace fuzz
