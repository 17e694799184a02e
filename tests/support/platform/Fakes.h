#pragma once
// Test doubles of the platform layer: they record what the program asked and
// answer from a script, so no test ever waits on a real modal window.

#include "platform/CorePlatform.h"
#include "platform/MappedFile.h"

#include <deque>
#include <functional>
#include <utility>

namespace platform {

class FakePrompts : public Prompts {
public:
    struct Box {
        std::string Text;
        std::string Caption;
        MsgButtons Buttons;
        MsgIcon Icon;
    };
    std::vector<Box> Boxes;         // every message box shown
    std::deque<MsgResult> Answers;  // answers for Yes/No/Cancel boxes (default Cancel)

    std::vector<FileDialogSetup> OpenDialogs;  // every open dialog shown
    std::vector<FileDialogSetup> SaveDialogs;
    std::deque<std::optional<std::string>> OpenAnswers;  // nullopt = cancel (default)
    std::deque<std::optional<std::string>> SaveAnswers;

    // Answers of the several-files open dialog (which also records into
    // OpenDialogs); when none is queued it answers from OpenAnswers.
    std::deque<std::optional<std::vector<std::string>>> OpenManyAnswers;
    // Every date range dialog: the range it started from; answers: nullopt
    // = cancel (default), else {From, To}.
    std::vector<std::pair<std::string, std::string>> DateRangeDialogs;
    std::deque<std::optional<std::pair<std::string, std::string>>> DateRangeAnswers;

    std::vector<std::uint32_t> ColorDialogs;  // starting colour of each colour dialog
    std::deque<std::optional<std::uint32_t>> ColorAnswers;

    // Optional hook run when a box is shown (e.g. to check state at that moment).
    std::function<void(const Box&)> OnBox;

    // Every progress window opened: its text, its maximum, the values it was
    // given in order, and whether it has been closed.
    struct ProgressLog {
        std::string Text;
        int Maximum = 0;
        std::vector<int> Values;
        bool Closed = false;
    };
    std::vector<ProgressLog> Progresses;
    // A progress window reports the user's Cancel once it has been given a
    // value of at least this step; 0: never.
    int CancelProgressAt = 0;

    // Every transfer window opened: its text, the lines it showed, and
    // whether it has been closed; Transfer is the one open now (null when
    // none), whose OnCancel a test calls as the user's Cancel.
    struct TransferLog {
        std::string Text;
        std::vector<std::string> Lines;
        bool Closed = false;
    };
    std::vector<TransferLog> Transfers;
    TransferProgress* Transfer = nullptr;

    MsgResult MessageBox(const std::string& Text, const std::string& Caption, MsgButtons Buttons,
                         MsgIcon Icon) override;
    bool OpenFileDialog(const FileDialogSetup& Setup, std::string& Chosen) override;
    bool SaveFileDialog(const FileDialogSetup& Setup, std::string& Chosen) override;
    bool ColorDialog(std::uint32_t Initial, std::uint32_t& Chosen) override;
    std::unique_ptr<Progress> ShowProgress(const std::string& Text, int Maximum) override;
    std::unique_ptr<TransferProgress> ShowTransfer(const std::string& Text) override;
    bool OpenFilesDialog(const FileDialogSetup& Setup, std::vector<std::string>& Chosen) override;
    bool DateRangeDialog(std::string& From, std::string& To) override;
};

class FakeSystem : public System {
public:
    char Separator = '.';
    int MajorVersion = 6;
    std::string Program = "/opt/profilora/profilora";
    std::optional<std::string> LongName;  // nullopt: look-up fails
    std::vector<std::string> Args;
    Modifiers Keys;
    int Beeps = 0;
    int TerminateRequests = 0;
    std::vector<CursorShape> Cursors;  // every cursor change, in order
    std::string Stdout;

    char DecimalSeparator() const override { return Separator; }
    int CompareSectionNames(const std::string& A, const std::string& B) const override
    {
        return CoreSystem().CompareSectionNames(A, B);
    }
    int OSMajorVersion() const override { return MajorVersion; }
    std::string ProgramPath() const override { return Program; }
    std::optional<std::string> StoredLongName(const std::string&) const override { return LongName; }
    std::vector<std::string> Arguments() const override { return Args; }
    void Beep() override { ++Beeps; }
    Modifiers KeyboardModifiers() const override { return Keys; }
    void SetCursor(CursorShape Shape) override { Cursors.push_back(Shape); }
    void RequestTerminate() override { ++TerminateRequests; }
    void PrintToStdout(const std::string& Text) override { Stdout += Text; }
};

// The real file system with failures that a test switches on.
class FaultyFileSystem : public LocalFileSystem {
public:
    bool FailWrite = false;         // WriteAll fails after writing half of the contents
    int FailWriteCode = 5;          // errno reported for it (EIO)
    int FailWriteNumber = 0;        // the n-th WriteAll (1-based) fails like that too; 0 = none
    bool FailAfterWriting = false;  // a failing WriteAll writes everything first (a failed close)
    bool FailRead = false;          // ReadAll fails with EIO
    int FailMoveNumber = 0;         // the n-th MoveFile (1-based) fails; 0 = none
    bool FailDelete = false;
    int Moves = 0;
    int Writes = 0;
    // Files directly inside this directory (given with its trailing "/")
    // behave as on a read-only medium: nothing there is created, written,
    // deleted or moved, and writes report ReadOnlyCode. Empty = none.
    std::string ReadOnlyDir;
    int ReadOnlyCode = 13;  // EACCES

    bool DeleteFile(const std::string& Path) override;
    bool MoveFile(const std::string& From, const std::string& To) override;
    bool WriteAll(const std::string& Path, const std::string& Contents, FileError& Error) override;
    bool ReadAll(const std::string& Path, std::string& Contents, FileError& Error) override;
    // A piece of a file written piece by piece fails as WriteAll does.
    bool WriteTo(int Fd, std::string_view Bytes, FileError& Error) override;

    bool FailMap = false;        // MapFile fails as a read error (EIO) does
    bool FailMapMemory = false;  // MapMemory refuses every size
    std::unique_ptr<Mapping> MapFile(const std::string& Path, FileError& Error) override;
    std::unique_ptr<Mapping> MapMemory(std::size_t Size) override;
};

// Installs doubles for the lifetime of the guard and restores the defaults.
class ScopedPlatform {
public:
    explicit ScopedPlatform(Prompts* P = nullptr, System* S = nullptr, FileSystem* F = nullptr);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;
};

}  // namespace platform
