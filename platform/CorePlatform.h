#pragma once
// The implementations that need no desktop: files through POSIX, the system
// through QtCore (locale, program path and arguments), and message boxes
// written to standard error. A program without windows runs on these; the
// window program installs the toolkit's prompts and system over them
// (InstallQtPlatform).

#include "platform/Platform.h"

namespace platform {

// Message boxes as lines "Caption: text" on standard error; a question
// counts as cancelled, every dialog as cancelled.
class ConsolePrompts : public Prompts {
public:
    MsgResult MessageBox(const std::string& Text, const std::string& Caption, MsgButtons Buttons,
                         MsgIcon Icon) override;
    bool OpenFileDialog(const FileDialogSetup&, std::string&) override { return false; }
    bool SaveFileDialog(const FileDialogSetup&, std::string&) override { return false; }
    bool ColorDialog(std::uint32_t, std::uint32_t&) override { return false; }
};

// Everything but the desktop: no beep, no modifier keys, no cursor.
class CoreSystem : public System {
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

}  // namespace platform
