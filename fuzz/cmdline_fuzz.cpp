// The command line of the settings component on arbitrary arguments, accepted
// switches and map lines. Input: the first line is CmdLineParms; the lines up
// to one that reads "#map" are the arguments; the lines after it are the
// CmdLineMap.
//
// Promises checked: no crash, hang or sanitizer report; every switch becomes
// one NAME=value entry with an upper-case name free of blanks and "=";
// GetCmdLineValue answers with the first entry of a name; the help appears
// (once, with a request to end and the file left unread) exactly when "/?"
// or an unlisted switch was given; each malformed map line brings one
// "Command Line Map Error" box; a mapped value outranks the default text and
// the settings file and is never written back by an update save.

#include "fuzz/FuzzSupport.h"

#include "components/jtCommon.h"
#include "components/jtINI_File.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Upper(std::string S) { return jtini::UpperAZ(S); }

bool Listed(const std::string& Parms, const std::string& Name)
{
    return Upper(Parms + ";").find(Upper("/" + Name + ";")) != std::string::npos;
}

// A key or section that a settings file line can carry unchanged.
bool Writable(const std::string& Key)
{
    return !Key.empty() && Key.find('=') == std::string::npos && std::string(" /;:'[").find(Key[0]) == std::string::npos &&
           jt::Trim(Key) == Key;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv)
{
    fuzz::InitWidgets(Argc, Argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::vector<std::string> lines =
        fuzz::SplitLines(std::string_view(reinterpret_cast<const char*>(Data), Size));
    if (lines.empty()) return 0;
    const std::string parms = lines[0];
    std::vector<std::string> args, map;
    bool inMap = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!inMap && lines[i] == "#map") inMap = true;
        else (inMap ? map : args).push_back(lines[i]);
    }

    fuzz::QuietPlatform quiet;
    quiet.System.Program = "/mem/profilora";
    quiet.System.Args = args;

    // The switch texts alone.
    const std::vector<std::string> switches = TjtINI_File::SwitchTexts(args);
    for (const std::string& s : switches) FUZZ_CHECK(!s.empty(), "an empty switch text");

    TjtINI_File ini(nullptr);
    ini.SetCmdLineParms(parms);
    ini.SetCmdLineMap(map);
    int mapped = 0;
    ini.OnMapCmdLine = [&](QObject* Sender) {
        ++mapped;
        FUZZ_CHECK(Sender == &ini, "OnMapCmdLine sender");
    };
    ini.ParseCommandLine();
    FUZZ_CHECK(mapped == 1, "OnMapCmdLine raised " + std::to_string(mapped) + " times");

    // Entries: one per non-blank switch text, NAME=value.
    const std::vector<std::string>& values = ini.CmdLineValues();
    std::size_t texts = 0;
    for (const std::string& s : switches)
        if (!jt::Trim(s).empty()) ++texts;
    FUZZ_CHECK(values.size() == texts, std::to_string(values.size()) + " entries for " + std::to_string(texts) +
                                           " switches");
    std::map<std::string, std::string> first;
    bool help = false;
    for (const std::string& entry : values) {
        const std::size_t eq = entry.find('=');
        FUZZ_CHECK(eq != std::string::npos, "entry without '=': " + fuzz::Printable(entry));
        const std::string name = entry.substr(0, eq);
        FUZZ_CHECK(name == Upper(name) && name.find_first_of(" \t") == std::string::npos,
                   "entry name '" + fuzz::Printable(name) + "'");
        first.emplace(name, entry.substr(eq + 1));
        if (!Listed(parms, name)) help = true;
    }
    for (const auto& [name, value] : first) {
        // A name of control characters alone trims away, and the value after
        // it then stands in its place; "/" in front of a name is dropped by
        // the look-up, so such a name cannot be asked for.
        if (!name.empty() && name[0] == '/') continue;
        FUZZ_CHECK(ini.GetCmdLineValue(name) == value, "GetCmdLineValue(" + fuzz::Printable(name) + ")");
        FUZZ_CHECK(ini.GetCmdLineValue("/" + name) == value, "GetCmdLineValue(/" + fuzz::Printable(name) + ")");
    }
    if (first.count("?") && !first["?"].empty()) help = true;
    if (first.count("INI") && !first["INI"].empty())
        FUZZ_CHECK(ini.Filename() == jt::ExtractFileName(first["INI"]), "the /ini name is not the file name");

    // Boxes: the help, then one per malformed map line.
    std::size_t malformed = 0;
    std::map<std::pair<std::string, std::string>, std::string> wanted;  // (SECTION, KEY) -> value, last line wins
    std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> spelled;
    for (const std::string& line : map) {
        const std::string L = jt::Trim(line);
        if (L.empty()) continue;
        const std::string sw = jt::Trim(jt::TextBefore(L, "=", false));
        const std::string rest = jt::Trim(jt::TextAfter(L, "=", false));
        const std::string section = jt::Trim(jt::TextBefore(rest, ";", false));
        const std::string key = jt::Trim(jt::TextAfter(rest, ";", false));
        if (sw.empty() || section.empty() || key.empty()) {
            ++malformed;
            continue;
        }
        const std::string v = ini.GetCmdLineValue(sw);
        if (v.empty()) continue;
        wanted[{Upper(section), Upper(key)}] = v;
        spelled.emplace(std::make_pair(Upper(section), Upper(key)), std::make_pair(section, key));
    }
    const std::size_t boxes = quiet.Prompts.Boxes.size();
    FUZZ_CHECK(boxes == malformed + (help ? 1 : 0),
               std::to_string(boxes) + " boxes for " + std::to_string(malformed) + " bad map lines" +
                   (help ? " and the help" : ""));
    FUZZ_CHECK(quiet.System.TerminateRequests == (help ? 1 : 0), "termination requests");
    for (std::size_t i = help ? 1 : 0; i < boxes; ++i)
        FUZZ_CHECK(quiet.Prompts.Boxes[i].Caption == "Command Line Map Error", "map error caption");

    // Mapped values, then the default text and a settings file that name the
    // same keys: the command line wins, and an update save writes the file's
    // own values back.
    std::vector<std::string> file;
    for (const auto& [id, v] : wanted) {
        const auto& [section, key] = spelled[id];
        T_jt_ini_Record* r = ini.FindRecord(section, key);
        FUZZ_CHECK(r && r->Value == v && r->CmdLineValue == v, "mapped value of " + fuzz::Printable(key));
        if (!Writable(key)) continue;
        file.push_back("[" + section + "]");
        file.push_back(key + " = from the file");
    }
    ini.LoadingDefaults = true;
    ini.ParseStrings(file);
    ini.LoadingDefaults = false;
    ini.ParseStrings(file);
    for (const auto& [id, v] : wanted) {
        const auto& [section, key] = spelled[id];
        FUZZ_CHECK(ini.ReadString(section, key) == v, "the texts outranked the command line for " + fuzz::Printable(key));
    }
    ini.FileLines = file;
    TTextFile out("/mem/update");
    out.Rewrite();
    ini.WriteUpdate(out);
    out.Close();
    std::string text;
    platform::FileError error;
    platform::files().ReadAll("/mem/update", text, error);
    TjtINI_Document back;
    back.ParseStrings(fuzz::SplitLines(text));
    for (const auto& [id, v] : wanted) {
        const auto& [section, key] = spelled[id];
        if (!Writable(key)) continue;
        const T_jt_ini_Record* r = back.FindRecord(section, key);
        FUZZ_CHECK(r && r->Value == "from the file", "an update save wrote the command-line value of " +
                                                         fuzz::Printable(key));
    }
    return 0;
}
