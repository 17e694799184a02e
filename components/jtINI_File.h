#pragma once
// The settings component: at start-up it builds one settings document from
// the command line, its built-in default text and its settings file (beside
// the program, named after it with ".ini"), announces it once with
// OnReadComplete and then serves typed values. It can write the document
// back through a ".jtb" temporary file that replaces the file only once it
// is completely written, keeping the previous version as a backup.

#include "components/jtFile_IO.h"
#include "components/jtINI_Document.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum TjtINI_File_WriteMode : std::uint8_t {
    jtWM_Update = 0,      // rewrite the existing file's lines, changing known values only
    jtWM_Generate = 1,    // write the whole document, ignoring the existing file
    jtWM_AddSection = 2,  // rewrite the current section of the existing file
};

// A text passed by reference, to be changed or emptied.
using TStringEvent = std::function<void(std::string& String1)>;

class TjtINI_File : public TjtCustomFile_IO, public TjtINI_Document {
public:
    // The value of a switch given without one.
    static constexpr const char* NullValue = "NullValue_xx";

    explicit TjtINI_File(QObject* AOwner);
    ~TjtINI_File() override;

    // ------------------------------------------------------------ properties

    const std::vector<std::string>& INI_Default() const { return iniDefault_; }
    void SetINI_Default(const std::vector<std::string>& V) { iniDefault_ = V; }
    // A missing settings file at start-up is no error: the defaults stand.
    bool IgnoreNotFound() const { return ignoreNotFound_; }
    void SetIgnoreNotFound(bool V) { ignoreNotFound_ = V; }
    TjtINI_File_WriteMode WriteMode() const { return writeMode_; }
    void SetWriteMode(TjtINI_File_WriteMode V) { writeMode_ = V; }
    // The accepted switches, each with its slash, separated by ";".
    const std::string& CmdLineParms() const { return cmdLineParms_; }
    void SetCmdLineParms(const std::string& V) { cmdLineParms_ = V; }
    const std::vector<std::string>& CmdLineHelp() const { return cmdLineHelp_; }
    void SetCmdLineHelp(const std::vector<std::string>& V) { cmdLineHelp_ = V; }
    // One "switch = section ; key" per line.
    const std::vector<std::string>& CmdLineMap() const { return cmdLineMap_; }
    void SetCmdLineMap(const std::vector<std::string>& V) { cmdLineMap_ = V; }
    bool Ignore_CmdLine() const { return ignoreCmdLine_; }
    void SetIgnore_CmdLine(bool V) { ignoreCmdLine_ = V; }

    TStringEvent OnCmdLnHelp;   // may change or empty the help text
    TNotifyEvent OnMapCmdLine;  // after the command line was applied

    // NAME=value per switch, in command-line order.
    const std::vector<std::string>& CmdLineValues() const { return cmdLineValues_; }

    static std::vector<std::string> StandardCmdLineHelp();

    // ------------------------------------------------------------ life

    // Command line, default text, settings file, then one OnReadComplete.
    void Loaded() override;

    // The read hook (OnRead): parses the opened settings file.
    virtual void ParseTextFile(QObject* Sender, TTextFile& F);
    // The save hook (OnSave): writes the document by WriteMode into the
    // ".jtb" temporary file, then commits it under TargetName with a backup.
    virtual void SaveToFile(QObject* Sender, std::string TargetName);

    // ------------------------------------------------------------ command line

    virtual void ParseCommandLine();
    virtual bool CmdLineSwitchesKnown();
    virtual void ApplyCmdLineMap();
    // The value of one switch ("/t" or "t"), empty when it was not given.
    virtual std::string GetCmdLineValue(std::string Switch);
    void SetCmdLineValue(const std::string& Section, const std::string& Key, const std::string& Value);

    // The switch texts ("name value" or "name=value") found in an argument
    // list: a switch starts with "/", "-" or "--" and a name without "/";
    // the arguments up to the next switch are its value. Arguments before
    // the first switch belong to the program.
    static std::vector<std::string> SwitchTexts(const std::vector<std::string>& Args);
    // The program's title: its file name without directory and without
    // everything from the first ".", lower case after the first character.
    static std::string ProgramTitle(const std::string& ProgramPath);

    // ------------------------------------------------------------ typed values

    virtual std::string ReadString(const std::string& Section, const std::string& Key);
    virtual std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default);
    virtual std::string ReadValueAt(int SectionIndex, int RecordIndex);
    virtual void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
    virtual std::int32_t ReadInteger(const std::string& Section, const std::string& Key);
    virtual std::int32_t ReadInteger(const std::string& Section, const std::string& Key, std::int32_t Default);
    virtual void WriteInteger(const std::string& Section, const std::string& Key, std::int32_t Value);
    virtual long double ReadFloat(const std::string& Section, const std::string& Key);
    virtual long double ReadFloat(const std::string& Section, const std::string& Key, long double Default);
    virtual void WriteFloat(const std::string& Section, const std::string& Key, long double Value);
    virtual void WriteFloat(const std::string& Section, const std::string& Key, int Decimals, long double Value);
    virtual void WriteFloat(const std::string& Section, const std::string& Key, int Decimals, float Value);
    // A double picks the extended form (it would be ambiguous otherwise).
    void WriteFloat(const std::string& Section, const std::string& Key, int Decimals, double Value)
    {
        WriteFloat(Section, Key, Decimals, static_cast<long double>(Value));
    }
    virtual void ReadSections(std::vector<std::string>& Strings);
    virtual void ReadSection(const std::string& Section, std::vector<std::string>& Strings);

protected:
    void DoReadComplete() override;

private:
    // The text as an extended number with the user's decimal separator or
    // with ".", 0 when it is not one.
    static long double NumberOf(const std::string& Text);
    void ShowHelp();

    std::vector<std::string> iniDefault_;
    bool ignoreNotFound_ = true;
    TjtINI_File_WriteMode writeMode_ = jtWM_Update;
    std::string cmdLineParms_;
    std::vector<std::string> cmdLineHelp_;
    std::vector<std::string> cmdLineMap_;
    bool ignoreCmdLine_ = false;
    std::vector<std::string> cmdLineValues_;
    int readsCompleted_ = 0;
};
