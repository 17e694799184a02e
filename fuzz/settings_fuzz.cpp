// The settings document on arbitrary text: parsed, written by each of the
// three writers, and the output parsed again; then the whole component
// loads the text as its settings file, saves it through its temporary file
// and a fresh component loads the saved file.
//
// Promises checked: no crash, hang or sanitizer report; every section, key
// and value survives each writer's round trip (keys as spelled, values
// exactly, records in order); writing what was read back gives the same
// text; a save leaves the file, its backup and no temporary file; typed
// reads never fail on text that is not a number.
//
// Built without the widgets (PROFILORA_FUZZ_WIDGETS 0), the target checks the
// document alone: the component is a widget component.

#include "fuzz/FuzzSupport.h"

#include "components/jtINI_Document.h"
#include "components/jtSysUtils.h"
#include "components/jtTextFile.h"
#if PROFILORA_FUZZ_WIDGETS
#include "components/jtINI_File.h"
#endif

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct SectionSnapshot {
    std::string Upper;  // index entry
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Records;  // key, value
};
using Snapshot = std::vector<SectionSnapshot>;

Snapshot Take(const TjtINI_Document& Doc)
{
    Snapshot out;
    for (int i = 0; i < Doc.Sections.Count(); ++i) {
        const T_jt_ini_Section& s = Doc.Sections.Section(i);
        SectionSnapshot snap{Doc.Sections.Name(i), s.Name, {}};
        for (const auto& r : s.Records) snap.Records.emplace_back(r.Key.str(), r.Value.str());
        out.push_back(std::move(snap));
    }
    return out;
}

std::string Describe(const Snapshot& S)
{
    std::string out;
    for (const SectionSnapshot& s : S) {
        out += "[" + fuzz::Printable(s.Name, 60) + "]";
        for (const auto& [k, v] : s.Records) out += " " + fuzz::Printable(k, 40) + "=" + fuzz::Printable(v, 40);
        out += " |";
    }
    return out.substr(0, 2000);
}

// Spelling: whether section names must keep their spelling (a writer that
// writes a header of its own may spell it as the document does, where the
// file had another spelling first).
void CheckSame(const Snapshot& Got, const Snapshot& Want, const std::string& What, bool Spelling = true)
{
    bool same = Got.size() == Want.size();
    for (std::size_t i = 0; same && i < Got.size(); ++i) {
        same = Got[i].Upper == Want[i].Upper && Got[i].Records == Want[i].Records;
        // The pseudo-section has no header in the text; its spelling is the
        // reader's own.
        if (same && Spelling && Got[i].Upper != jtini::UpperAZ(TjtINI_Document::StartOfFile))
            same = Got[i].Name == Want[i].Name;
    }
    FUZZ_CHECK(same, What + "\n  read:  " + Describe(Want) + "\n  again: " + Describe(Got));
}

enum class Writer { Generate, Update, AddSection };

std::string Write(TjtINI_Document& Doc, Writer W, const std::string& Section)
{
    const std::string path = "/mem/written";
    TTextFile out(path);
    out.Rewrite();
    switch (W) {
    case Writer::Generate: Doc.WriteGenerate(out); break;
    case Writer::Update: Doc.WriteUpdate(out); break;
    case Writer::AddSection: Doc.WriteAddSection(out, Section); break;
    }
    out.Close();
    std::string text;
    platform::FileError error;
    FUZZ_CHECK(platform::files().ReadAll(path, text, error), "written text missing");
    platform::files().DeleteFile(path);
    return text;
}

void RoundTrips(const std::vector<std::string>& Lines, bool WindowsCompatible)
{
    const char* const form = WindowsCompatible ? " (key=value)" : " (key = value)";
    TjtINI_Document doc;
    doc.SetWindowsCompatible(WindowsCompatible);
    doc.ParseStrings(Lines);
    const Snapshot read = Take(doc);
    const std::string current = doc.CurrentSectionName;

    for (const Writer w : {Writer::Generate, Writer::Update, Writer::AddSection}) {
        TjtINI_Document source;
        source.SetWindowsCompatible(WindowsCompatible);
        source.ParseStrings(Lines);
        source.FileLines = Lines;
        const std::string text = Write(source, w, current);
        TjtINI_Document back;
        back.SetWindowsCompatible(WindowsCompatible);
        back.ParseStrings(fuzz::SplitLines(text));
        const char* name = w == Writer::Generate ? "generate" : w == Writer::Update ? "update" : "add section";
        CheckSame(Take(back), read, std::string(name) + form + " loses or changes settings", w != Writer::AddSection);
        if (w == Writer::Generate) {
            // What was read back is written the same way again.
            FUZZ_CHECK(Write(back, Writer::Generate, {}) == text, std::string("generate is not stable") + form);
        }
    }
}

#if PROFILORA_FUZZ_WIDGETS
// Typed reads of every value: text that is not a number reads as 0, and
// only a number beyond 64 bits fails as a whole number.
void TypedReads(TjtINI_File& Ini)
{
    for (int i = 0; i < Ini.Sections.Count(); ++i) {
        const T_jt_ini_Section& s = Ini.Sections.Section(i);
        const std::string section = s.Name;
        std::vector<std::string> keys;
        for (const auto& r : s.Records) keys.push_back(r.Key.str());
        for (const std::string& key : keys) {
            const std::string text = Ini.ReadString(section, key);
            // Settings floats are read in extended precision.
            long double v = 0;
            const bool number = jt::TryTextToFloat(text, '.', v);
            const long double f = Ini.ReadFloat(section, key);
            FUZZ_CHECK(number ? (f == v || (std::isnan(f) && std::isnan(v))) : f == 0,
                       "ReadFloat of '" + fuzz::Printable(text) + "'");
            try {
                const std::int32_t n = Ini.ReadInteger(section, key);
                FUZZ_CHECK(number || n == 0, "ReadInteger of '" + fuzz::Printable(text) + "'");
            } catch (const EInvalidOperation&) {
                FUZZ_CHECK(number && !(std::fabs(v) < 9223372036854775808.0L), "ReadInteger failed on '" +
                                                                                   fuzz::Printable(text) + "'");
            }
        }
    }
}

void SaveAndReload(const std::string& Text)
{
    fuzz::QuietPlatform quiet;
    quiet.System.Program = "/mem/profilora";
    quiet.Files.Files["/mem/profilora.ini"] = Text;

    TjtINI_File ini(nullptr);
    ini.SetIgnore_CmdLine(true);
    ini.SetINI_Default({"[Temperature]", "min = -80", "max = 40"});
    int reads = 0;
    ini.OnReadComplete = [&](QObject*) { ++reads; };
    ini.Loaded();
    FUZZ_CHECK(reads == 1, "read-complete raised " + std::to_string(reads) + " times");
    TypedReads(ini);

    ini.SetWriteMode(jtWM_Generate);
    ini.FileSave();
    const auto& files = quiet.Files.Files;
    FUZZ_CHECK(files.count("/mem/profilora.bak") && files.at("/mem/profilora.bak") == Text,
               "the previous settings are not the backup");
    FUZZ_CHECK(!files.count("/mem/profilora.jtb"), "the temporary file stays behind");
    FUZZ_CHECK(files.size() == 2, "a save leaves " + std::to_string(files.size()) + " files");

    TjtINI_File again(nullptr);
    again.SetIgnore_CmdLine(true);
    again.Loaded();
    TjtINI_File fresh(nullptr);
    fresh.SetIgnore_CmdLine(true);
    fresh.SetINI_Default({"[Temperature]", "min = -80", "max = 40"});
    quiet.Files.Files["/mem/profilora.ini"] = Text;
    fresh.Loaded();
    CheckSame(Take(again), Take(fresh), "save and reload loses or changes settings");
}
#endif

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv)
{
#if PROFILORA_FUZZ_WIDGETS
    fuzz::InitWidgets(Argc, Argv);
#else
    fuzz::InitCore(Argc, Argv);
#endif
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    const std::vector<std::string> lines = fuzz::SplitLines(text);
    {
        fuzz::QuietPlatform quiet;
        RoundTrips(lines, false);
        RoundTrips(lines, true);
    }
#if PROFILORA_FUZZ_WIDGETS
    SaveAndReload(text);
#endif
    return 0;
}
