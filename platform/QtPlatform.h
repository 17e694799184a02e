#pragma once
// The real implementations: Qt for the desktop, POSIX for files.

#include "platform/Platform.h"

namespace platform {

class QtPrompts : public Prompts {
public:
    MsgResult MessageBox(const std::string& Text, const std::string& Caption, MsgButtons Buttons,
                         MsgIcon Icon) override;
    bool OpenFileDialog(const FileDialogSetup& Setup, std::string& Chosen) override;
    bool SaveFileDialog(const FileDialogSetup& Setup, std::string& Chosen) override;
    bool ColorDialog(std::uint32_t Initial, std::uint32_t& Chosen) override;
    std::unique_ptr<Progress> ShowProgress(const std::string& Text, int Maximum) override;
};

class QtSystem : public System {
public:
    char DecimalSeparator() const override;
    int CompareSectionNames(const std::string& A, const std::string& B) const override;
    int OSMajorVersion() const override;
    std::string ProgramPath() const override;
    std::optional<std::string> StoredLongName(const std::string& Path) const override;
    std::vector<std::string> Arguments() const override;
    void Beep() override;
    Modifiers KeyboardModifiers() const override;
    void SetCursor(CursorShape Shape) override;
    void RequestTerminate() override;
    void PrintToStdout(const std::string& Text) override;
};

class LocalFileSystem : public FileSystem {
public:
    bool FileExists(const std::string& Path) const override;
    bool DeleteFile(const std::string& Path) override;
    bool MoveFile(const std::string& From, const std::string& To) override;
    bool ReadAll(const std::string& Path, std::string& Contents, FileError& Error) override;
    bool WriteAll(const std::string& Path, const std::string& Contents, FileError& Error) override;
};

// True once the program has asked to end (RequestTerminate of the real
// system); the entry point ends instead of running the event loop.
bool TerminateRequested();

// Converts a toolkit filter ("desc|pat;pat|desc|pat") to Qt's name filters.
std::string ToQtNameFilters(const std::string& Filter);

}  // namespace platform
