#pragma once
// The program's own layer over what the desktop and the operating system
// provide. Everything that would open a modal window, ask the OS or touch the
// user's keyboard state goes through here, so that the logic above it runs
// (and is tested) without a display. A program without windows runs on the
// implementations of CorePlatform.h; the window program installs the
// toolkit's (QtPlatform.h); tests install doubles of their own.

#include "platform/Progress.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Mapping;

// ---------------------------------------------------------------- prompts

enum class MsgButtons { OK, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Error, Question, Confirmation };
enum class MsgResult { OK, Yes, No, Cancel };

// What a file dialog is set up with. Filter is a "|"-separated list of
// pairs (description, patterns separated by ";"); the dialog starts on the
// first pair.
struct FileDialogSetup {
    std::string Title;  // empty: the dialog's own default
    std::string InitialDir;
    std::string FileName;  // preset file name, may be empty
    std::string Filter;
    bool HideReadOnly = true;
    bool PathMustExist = true;
    bool FileMustExist = true;
    bool EnableSizing = true;
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message box; one shown while no window exists yet (a
    // start-up failure) stands on its own.
    virtual MsgResult MessageBox(const std::string& Text, const std::string& Caption, MsgButtons Buttons,
                                 MsgIcon Icon) = 0;
    // Open and save dialogs: true and the chosen full path when the user
    // confirms.
    virtual bool OpenFileDialog(const FileDialogSetup& Setup, std::string& Chosen) = 0;
    virtual bool SaveFileDialog(const FileDialogSetup& Setup, std::string& Chosen) = 0;
    // An open dialog where several files may be chosen: true and their
    // full paths when the user confirms. Prompts that cannot offer it keep
    // this default, the one-file dialog.
    virtual bool OpenFilesDialog(const FileDialogSetup& Setup, std::vector<std::string>& Chosen);
    // Asks for a range of launch dates, each "YYYY-MM-DD" or empty (open),
    // starting from From and To: true with the answer when the user confirms
    // (both empty: the whole set). Prompts without a window keep this
    // default, which answers false.
    virtual bool DateRangeDialog(std::string& From, std::string& To);
    // The same, checked: Check answers what is wrong with a range typed
    // ("" when nothing is); the dialog tells it in an error box with Caption
    // and stays open with the dates typed, until a range passes or the user
    // cancels. Prompts that cannot keep a dialog open keep this default,
    // which tells the fault and asks again from the dates typed.
    virtual bool CheckedDateRangeDialog(std::string& From, std::string& To,
                                        const std::function<std::string(const std::string&, const std::string&)>& Check,
                                        const std::string& Caption);
    // Colour chooser; colours are $00bbggrr values.
    virtual bool ColorDialog(std::uint32_t Initial, std::uint32_t& Chosen) = 0;
    // A progress window with a Cancel button for a job of Maximum steps,
    // open until the returned object goes. Prompts without a window keep
    // this default, which shows nothing and never cancels.
    virtual std::unique_ptr<Progress> ShowProgress(const std::string& Text, int Maximum);
    // A progress window for a job that runs in the event loop (a download),
    // open until the returned object goes; the window goes on meanwhile.
    // Prompts without a window keep this default, which shows nothing.
    virtual std::unique_ptr<TransferProgress> ShowTransfer(const std::string& Text);
};

// ---------------------------------------------------------------- system

// The pressed modifier keys among Shift, Alt and Ctrl.
struct Modifiers {
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
    bool operator==(const Modifiers&) const = default;
};

enum class CursorShape { Default, Hourglass };

class System {
public:
    virtual ~System() = default;

    // Regional settings.
    virtual char DecimalSeparator() const = 0;
    // Orders settings section names (already upper-cased): punctuation
    // before digits before letters; <0, 0, >0 like strcmp.
    virtual int CompareSectionNames(const std::string& A, const std::string& B) const = 0;

    // Operating system.
    virtual int OSMajorVersion() const = 0;
    // Full path of the running program file.
    virtual std::string ProgramPath() const = 0;
    // The file's path as stored in the file system (canonical), or nothing
    // when the look-up fails.
    virtual std::optional<std::string> StoredLongName(const std::string& Path) const = 0;
    // The program's arguments, without the program path.
    virtual std::vector<std::string> Arguments() const = 0;

    // Desktop.
    virtual void Beep() = 0;
    virtual Modifiers KeyboardModifiers() const = 0;
    virtual void SetCursor(CursorShape Shape) = 0;
    // Ask the application to end once its event loop runs.
    virtual void RequestTerminate() = 0;
    // Standard output, where a terminal user looks for help texts.
    virtual void PrintToStdout(const std::string& Text) = 0;
};

// ---------------------------------------------------------------- files

// A failure of the file layer: the message and, where the system gave one,
// its error code (errno).
struct FileError {
    std::string Message;
    int Code = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool FileExists(const std::string& Path) const = 0;
    virtual bool DeleteFile(const std::string& Path) = 0;
    // Move to a new name, also into another directory or file system
    // (rename, falling back to copy and delete). Fails, and overwrites
    // nothing, when the new name exists.
    virtual bool MoveFile(const std::string& From, const std::string& To) = 0;

    // The whole file as bytes. Refuses directories and anything that is not
    // a regular file; never blocks on a FIFO.
    virtual bool ReadAll(const std::string& Path, std::string& Contents, FileError& Error) = 0;
    // Creates (truncates) Path and writes Contents completely, then closes
    // it; false when any of these fails.
    virtual bool WriteAll(const std::string& Path, const std::string& Contents, FileError& Error) = 0;
    // Writes Bytes completely to an open file (the pieces of a file written
    // piece by piece); false when a write fails.
    virtual bool WriteTo(int Fd, std::string_view Bytes, FileError& Error);

    // The whole file mapped read only (MappedFile.h). Refuses folders and
    // anything that is not a regular file, never blocking on a FIFO; null
    // then, with Error telling why in a sentence of its own ("The file
    // cannot be opened (...)", "It is a folder, not a file", "It is not a
    // regular file (a pipe or a device)", "The file cannot be read").
    virtual std::unique_ptr<Mapping> MapFile(const std::string& Path, FileError& Error);
    // Size bytes of fresh zeroed memory to fill; null when the system
    // refuses.
    virtual std::unique_ptr<Mapping> MapMemory(std::size_t Size);
};

// ---------------------------------------------------------------- access

Prompts& prompts();
System& system();
FileSystem& files();

// Installs replacements (a tool's own prompts, tests). Passing nullptr
// restores the default.
void SetPrompts(Prompts* P);
void SetSystem(System* S);
void SetFiles(FileSystem* F);

// Sets the defaults themselves; nullptr: the ones without a desktop
// (CorePlatform.h).
void SetDefaults(Prompts* P, System* S);

}  // namespace platform
