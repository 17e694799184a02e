#include "components/jtINI_File.h"

#include "components/jtCommon.h"
#include "components/jtSysUtils.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cmath>

using jtini::UpperAZ;

std::vector<std::string> TjtINI_File::StandardCmdLineHelp()
{
    return {"Command line options:", "   /ini filename\t- Specifies the ini file to use",
            "   /?           \t- Gets this help"};
}

// ---------------------------------------------------------------- life

TjtINI_File::TjtINI_File(QObject* AOwner) : TjtCustomFile_IO(AOwner)
{
    OnRead = [this](QObject* Sender, TTextFile& F) { ParseTextFile(Sender, F); };
    OnSave = [this](QObject* Sender, std::string TargetName) { SaveToFile(Sender, std::move(TargetName)); };
    SetFilter("*.ini|*.ini");
    SetOpenOnLoad(true);

    // The settings file lies beside the program file and is named after it.
    // The program's stored (canonical) path is preferred; when the look-up
    // fails the path as given names the same file.
    const std::string program = platform::system().ProgramPath();
    const std::string stored = platform::system().StoredLongName(program).value_or(program);
    SetFilename(BackupName(stored, ".ini"));

    cmdLineParms_ = "/ini";
    cmdLineHelp_ = StandardCmdLineHelp();
}

TjtINI_File::~TjtINI_File() = default;

void TjtINI_File::Loaded()
{
    // Command-line values go in first, so that the merge keeps them over
    // whatever the default text and the file say.
    if (!ignoreCmdLine_) ParseCommandLine();
    if (!iniDefault_.empty()) {
        LoadingDefaults = true;
        try {
            ParseStrings(iniDefault_);
        } catch (...) {
            LoadingDefaults = false;
            throw;
        }
        LoadingDefaults = false;
    }
    if (ignoreNotFound_ && !platform::files().FileExists(FullFilename())) SetOpenOnLoad(false);
    const int before = readsCompleted_;
    TjtCustomFile_IO::Loaded();
    // The defaults alone are announced too, but never twice.
    if (!iniDefault_.empty() && readsCompleted_ == before) DoReadComplete();
}

void TjtINI_File::DoReadComplete()
{
    ++readsCompleted_;
    TjtCustomFile_IO::DoReadComplete();
}

void TjtINI_File::ParseTextFile(QObject* /*Sender*/, TTextFile& F) { ParseText(F); }

void TjtINI_File::SaveToFile(QObject* /*Sender*/, std::string TargetName)
{
    const std::string previous = FullFilename();
    std::string temp = BackupName(previous, ".jtb");
    // A settings file that itself ends in ".jtb" must not be written over.
    if (temp == previous) temp += ".jtb";
    SetTempFilename(temp);

    // The temporary file is written and closed completely before anything is
    // moved, so a failed write leaves the settings file as it was.
    try {
        FileLines.clear();
        if (platform::files().FileExists(previous)) {
            TTextFile in(previous);
            in.Reset();
            while (!in.Eof()) FileLines.push_back(in.ReadLine());
            in.Close();
        }
        TTextFile out(temp);
        out.Rewrite();
        switch (writeMode_) {
        case jtWM_Update: WriteUpdate(out); break;
        case jtWM_Generate: WriteGenerate(out); break;
        case jtWM_AddSection: WriteAddSection(out, CurrentSectionName); break;
        }
        out.Close();
    } catch (Exception& E) {
        if (DoReadError(previous, E)) return;
        throw;
    } catch (const std::exception& e) {
        Exception wrapped(e.what());
        if (DoReadError(previous, wrapped)) return;
        throw;
    }
    SetModified(false);
    SetFilename(TargetName);
    CommitBackup();
}

// ---------------------------------------------------------------- command line

namespace {

// The text after a switch's leading "/", "-" or "--".
std::string_view SwitchBody(std::string_view Arg)
{
    if (Arg.size() >= 2 && Arg[0] == '-' && Arg[1] == '-') return Arg.substr(2);
    if (!Arg.empty() && (Arg[0] == '/' || Arg[0] == '-')) return Arg.substr(1);
    return {};
}

bool IsSwitch(std::string_view Arg)
{
    const std::string_view body = SwitchBody(Arg);
    // A negative number or "-.5" is a value.
    if (Arg.size() >= 2 && Arg[0] == '-' && Arg[1] != '-' && ((Arg[1] >= '0' && Arg[1] <= '9') || Arg[1] == '.'))
        return false;
    const std::string_view name = body.substr(0, std::min(body.find_first_of(" =\t"), body.size()));
    // A path such as /home/me/my.ini is a value, not a switch.
    return !name.empty() && name.find('/') == std::string_view::npos;
}

}  // namespace

std::vector<std::string> TjtINI_File::SwitchTexts(const std::vector<std::string>& Args)
{
    std::vector<std::string> out;
    bool open = false;
    for (const std::string& arg : Args) {
        if (IsSwitch(arg)) {
            const std::string_view body = SwitchBody(arg);
            out.emplace_back(body);
            // "/ini=my.ini" carries its value; "/ini" takes the arguments
            // that follow it.
            open = body.find_first_of(" =\t") == std::string_view::npos;
        } else if (open) {
            // Values follow their switch, joined by single blanks.
            out.back() += ' ';
            out.back() += arg;
        }
    }
    return out;
}

std::string TjtINI_File::ProgramTitle(const std::string& ProgramPath)
{
    const size_t slash = ProgramPath.rfind('/');
    std::string name = slash == std::string::npos ? ProgramPath : ProgramPath.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    for (size_t i = 1; i < name.size(); ++i)
        if (name[i] >= 'A' && name[i] <= 'Z') name[i] = char(name[i] + 32);
    return name;
}

void TjtINI_File::ParseCommandLine()
{
    cmdLineValues_.clear();
    for (const std::string& text : SwitchTexts(platform::system().Arguments())) {
        const std::string S = Trim(text);
        if (S.empty()) continue;
        std::string name = S;
        std::string value = NullValue;
        const size_t i = S.find_first_of(" =\t");
        if (i != std::string::npos) {
            name = Trim(S.substr(0, i));
            value = name.empty() ? std::string() : Trim(TextAfter(S, name, false));
            if (!value.empty() && value[0] == '=') value = Trim(TextAfter(value, "=", false));
            value = Unquote(value);
        }
        cmdLineValues_.push_back(UpperAZ(name) + "=" + value);
    }

    const std::string ini = GetCmdLineValue("INI");
    if (!ini.empty()) SetFilename(ini);

    if (!GetCmdLineValue("?").empty() || !CmdLineSwitchesKnown()) ShowHelp();

    ApplyCmdLineMap();
    if (OnMapCmdLine) OnMapCmdLine(this);
}

void TjtINI_File::ShowHelp()
{
    std::string help;
    for (const std::string& line : cmdLineHelp_) help += line + "\r\n";
    if (OnCmdLnHelp) OnCmdLnHelp(help);
    if (help.empty()) return;

    // A terminal user looks for the help on standard output.
    std::string printed;
    for (size_t i = 0; i < help.size(); ++i)
        if (!(help[i] == '\r' && i + 1 < help.size() && help[i + 1] == '\n')) printed += help[i];
    platform::system().PrintToStdout(printed);

    platform::prompts().MessageBox(help, ProgramTitle(platform::system().ProgramPath()), platform::MsgButtons::OK,
                                   platform::MsgIcon::None);
    // The file is not read, and the program ends once its event loop runs.
    SetOpenOnLoad(false);
    platform::system().RequestTerminate();
}

bool TjtINI_File::CmdLineSwitchesKnown()
{
    const std::string parms = UpperAZ(cmdLineParms_ + ";");
    for (const std::string& entry : cmdLineValues_) {
        const std::string name = entry.substr(0, entry.find('='));
        if (parms.find(UpperAZ("/" + name + ";")) == std::string::npos) return false;
    }
    return true;
}

std::string TjtINI_File::GetCmdLineValue(std::string Switch)
{
    if (Switch.empty()) return std::string();
    if (Switch[0] == '/') Switch = TextAfter(Switch, "/", false);
    for (const std::string& entry : cmdLineValues_) {
        const size_t eq = entry.find('=');
        if (jt::SameTextAZ(std::string_view(entry).substr(0, eq), Switch)) return entry.substr(eq + 1);
    }
    return std::string();
}

void TjtINI_File::ApplyCmdLineMap()
{
    for (const std::string& line : cmdLineMap_) {
        const std::string L = Trim(line);
        if (L.empty()) continue;
        const std::string sw = Trim(TextBefore(L, "=", false));
        const std::string rest = Trim(TextAfter(L, "=", false));
        const std::string section = Trim(TextBefore(rest, ";", false));
        const std::string key = Trim(TextAfter(rest, ";", false));
        if (sw.empty() || section.empty() || key.empty()) {
            platform::prompts().MessageBox("The following is not a valid CmdLineMap string\r\n\r\n" + line,
                                           "Command Line Map Error", platform::MsgButtons::OK,
                                           platform::MsgIcon::None);
            continue;
        }
        const std::string value = GetCmdLineValue(sw);
        if (!value.empty()) SetCmdLineValue(section, key, value);
    }
}

void TjtINI_File::SetCmdLineValue(const std::string& Section, const std::string& Key, const std::string& Value)
{
    T_jt_ini_Record* R = AddRecord(Section, Key);
    R->Value = Value;
    R->CmdLineValue = Value;
}

// ---------------------------------------------------------------- typed values

long double TjtINI_File::NumberOf(const std::string& Text) { return jtini::NumberOf(Text); }

std::string TjtINI_File::ReadString(const std::string& Section, const std::string& Key)
{
    if (const T_jt_ini_Record* R = FindRecord(Section, Key)) return R->Value.str();
    // Reading an absent key creates it, so that a save lists it.
    T_jt_ini_Record* R = AddRecord(Section, Key);
    R->DefaultValue.clear();
    R->Value.clear();
    return std::string();
}

std::string TjtINI_File::ReadString(const std::string& Section, const std::string& Key, const std::string& Default)
{
    if (T_jt_ini_Record* R = FindRecord(Section, Key)) {
        R->DefaultValue = Default;
        return R->Value.str();
    }
    T_jt_ini_Record* R = AddRecord(Section, Key);
    R->DefaultValue = Default;
    R->Value = Default;
    return Default;
}

using jtini::Truncate32;

std::int32_t TjtINI_File::ReadInteger(const std::string& Section, const std::string& Key)
{
    return Truncate32(NumberOf(ReadString(Section, Key)));
}

std::int32_t TjtINI_File::ReadInteger(const std::string& Section, const std::string& Key, std::int32_t Default)
{
    return Truncate32(NumberOf(ReadString(Section, Key, std::to_string(Default))));
}

long double TjtINI_File::ReadFloat(const std::string& Section, const std::string& Key)
{
    return NumberOf(ReadString(Section, Key));
}

long double TjtINI_File::ReadFloat(const std::string& Section, const std::string& Key, long double Default)
{
    return NumberOf(ReadString(Section, Key, jt::FloatToText(Default)));
}

std::string TjtINI_File::ReadValueAt(int SectionIndex, int RecordIndex)
{
    if (SectionIndex >= 0 && SectionIndex < Sections.Count()) CurrentRecords = SectionRecords(SectionIndex);
    if (CurrentRecords && RecordIndex >= 0 && RecordIndex < int(CurrentRecords->size()))
        return (*CurrentRecords)[size_t(RecordIndex)].Value.str();
    return std::string();
}

void TjtINI_File::WriteString(const std::string& Section, const std::string& Key, const std::string& Value)
{
    T_jt_ini_Record* R = FindRecord(Section, Key);
    if (!R) {
        R = AddRecord(Section, Key);
        R->Value = Value;
        SetModified(true);
        return;
    }
    if (R->Value == Value) return;
    R->Value = Value;
    // A value from the command line is no change to the file.
    if (!R->CmdLineValue.empty()) return;
    if (!R->LoadedValue.empty()) {
        // Set back to what was loaded: nothing to save for this key.
        if (Value != R->LoadedValue) SetModified(true);
        return;
    }
    // Nothing loaded for this key (created by a read or a write): any new
    // value is a change that a save must not lose.
    SetModified(true);
}

void TjtINI_File::WriteInteger(const std::string& Section, const std::string& Key, std::int32_t Value)
{
    WriteString(Section, Key, std::to_string(Value));
}

void TjtINI_File::WriteFloat(const std::string& Section, const std::string& Key, long double Value)
{
    WriteString(Section, Key, jt::FloatToText(Value));
}

void TjtINI_File::WriteFloat(const std::string& Section, const std::string& Key, int Decimals, long double Value)
{
    WriteString(Section, Key, jt::FormatFixed(Value, Decimals));
}

void TjtINI_File::WriteFloat(const std::string& Section, const std::string& Key, int Decimals, float Value)
{
    WriteFloat(Section, Key, Decimals, static_cast<long double>(Value));
}

void TjtINI_File::ReadSections(std::vector<std::string>& Strings)
{
    Strings.clear();
    for (int i = 0; i < Sections.Count(); ++i) Strings.push_back(Sections.Section(i).Name);
}

void TjtINI_File::ReadSection(const std::string& Section, std::vector<std::string>& Strings)
{
    Strings.clear();
    if (const T_jt_ini_Records* L = FindSection(Section)) {
        Strings.reserve(L->size());
        for (const auto& r : *L) Strings.push_back(r.Key.str());
    }
}
