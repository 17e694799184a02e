#include "platform/Fakes.h"

namespace platform {

MsgResult FakePrompts::MessageBox(const std::string& Text, const std::string& Caption, MsgButtons Buttons, MsgIcon Icon)
{
    Boxes.push_back({Text, Caption, Buttons, Icon});
    if (OnBox) OnBox(Boxes.back());
    if (Buttons == MsgButtons::OK) return MsgResult::OK;
    if (Answers.empty()) return MsgResult::Cancel;
    const MsgResult r = Answers.front();
    Answers.pop_front();
    return r;
}

namespace {
bool Answer(std::deque<std::optional<std::string>>& Queue, std::string& Chosen)
{
    if (Queue.empty()) return false;
    const std::optional<std::string> a = Queue.front();
    Queue.pop_front();
    if (!a) return false;
    Chosen = *a;
    return true;
}
}  // namespace

bool FakePrompts::OpenFileDialog(const FileDialogSetup& Setup, std::string& Chosen)
{
    OpenDialogs.push_back(Setup);
    return Answer(OpenAnswers, Chosen);
}

bool FakePrompts::SaveFileDialog(const FileDialogSetup& Setup, std::string& Chosen)
{
    SaveDialogs.push_back(Setup);
    return Answer(SaveAnswers, Chosen);
}

bool FakePrompts::ColorDialog(std::uint32_t Initial, std::uint32_t& Chosen)
{
    ColorDialogs.push_back(Initial);
    if (ColorAnswers.empty()) return false;
    const std::optional<std::uint32_t> a = ColorAnswers.front();
    ColorAnswers.pop_front();
    if (!a) return false;
    Chosen = *a;
    return true;
}

namespace {
class FakeProgress : public Progress {
public:
    FakeProgress(FakePrompts& Owner, std::size_t Index) : owner_(Owner), index_(Index) {}
    ~FakeProgress() override { Log().Closed = true; }
    void SetValue(int Value) override { Log().Values.push_back(Value); }
    bool Cancelled() override
    {
        const FakePrompts::ProgressLog& log = Log();
        return owner_.CancelProgressAt > 0 && !log.Values.empty() && log.Values.back() >= owner_.CancelProgressAt;
    }

private:
    // By index: the log may move as further windows open.
    FakePrompts::ProgressLog& Log() { return owner_.Progresses[index_]; }
    FakePrompts& owner_;
    std::size_t index_;
};

class FakeTransfer : public TransferProgress {
public:
    FakeTransfer(FakePrompts& Owner, std::size_t Index) : owner_(Owner), index_(Index) { owner_.Transfer = this; }
    ~FakeTransfer() override
    {
        owner_.Transfers[index_].Closed = true;
        if (owner_.Transfer == this) owner_.Transfer = nullptr;
    }
    void SetProgress(double, const std::string& Text) override { owner_.Transfers[index_].Lines.push_back(Text); }

private:
    FakePrompts& owner_;
    std::size_t index_;
};
}  // namespace

std::unique_ptr<TransferProgress> FakePrompts::ShowTransfer(const std::string& Text)
{
    Transfers.push_back({Text, {}, false});
    return std::make_unique<FakeTransfer>(*this, Transfers.size() - 1);
}

bool FakePrompts::OpenFilesDialog(const FileDialogSetup& Setup, std::vector<std::string>& Chosen)
{
    if (OpenManyAnswers.empty()) return Prompts::OpenFilesDialog(Setup, Chosen);
    OpenDialogs.push_back(Setup);
    const std::optional<std::vector<std::string>> answer = OpenManyAnswers.front();
    OpenManyAnswers.pop_front();
    if (!answer) return false;
    Chosen = *answer;
    return true;
}

bool FakePrompts::DateRangeDialog(std::string& From, std::string& To)
{
    DateRangeDialogs.emplace_back(From, To);
    if (DateRangeAnswers.empty()) return false;
    const auto answer = DateRangeAnswers.front();
    DateRangeAnswers.pop_front();
    if (!answer) return false;
    From = answer->first;
    To = answer->second;
    return true;
}

std::unique_ptr<Progress> FakePrompts::ShowProgress(const std::string& Text, int Maximum)
{
    Progresses.push_back({Text, Maximum, {}, false});
    return std::make_unique<FakeProgress>(*this, Progresses.size() - 1);
}

namespace {
bool DirectlyInside(const std::string& Dir, const std::string& Path)
{
    return !Dir.empty() && Path.size() > Dir.size() && Path.compare(0, Dir.size(), Dir) == 0 &&
           Path.find('/', Dir.size()) == std::string::npos;
}
}  // namespace

bool FaultyFileSystem::DeleteFile(const std::string& Path)
{
    if (FailDelete || DirectlyInside(ReadOnlyDir, Path)) return false;
    return LocalFileSystem::DeleteFile(Path);
}

bool FaultyFileSystem::MoveFile(const std::string& From, const std::string& To)
{
    ++Moves;
    if (FailMoveNumber == Moves) return false;
    if (DirectlyInside(ReadOnlyDir, From) || DirectlyInside(ReadOnlyDir, To)) return false;
    return LocalFileSystem::MoveFile(From, To);
}

bool FaultyFileSystem::WriteAll(const std::string& Path, const std::string& Contents, FileError& Error)
{
    if (DirectlyInside(ReadOnlyDir, Path)) {
        Error = {"Cannot create file \"" + Path + "\".", ReadOnlyCode};
        return false;
    }
    ++Writes;
    if (!FailWrite && FailWriteNumber != Writes) return LocalFileSystem::WriteAll(Path, Contents, Error);
    FileError ignored;
    LocalFileSystem::WriteAll(Path, FailAfterWriting ? Contents : Contents.substr(0, Contents.size() / 2), ignored);
    Error = {"Write error", FailWriteCode};
    return false;
}

bool FaultyFileSystem::WriteTo(int Fd, std::string_view Bytes, FileError& Error)
{
    ++Writes;
    if (!FailWrite && FailWriteNumber != Writes) return LocalFileSystem::WriteTo(Fd, Bytes, Error);
    FileError ignored;
    LocalFileSystem::WriteTo(Fd, FailAfterWriting ? Bytes : Bytes.substr(0, Bytes.size() / 2), ignored);
    Error = {"Write error", FailWriteCode};
    return false;
}

bool FaultyFileSystem::ReadAll(const std::string& Path, std::string& Contents, FileError& Error)
{
    if (!FailRead) return LocalFileSystem::ReadAll(Path, Contents, Error);
    Error = {"Read error", 5};
    return false;
}

std::unique_ptr<Mapping> FaultyFileSystem::MapFile(const std::string& Path, FileError& Error)
{
    if (!FailMap) return LocalFileSystem::MapFile(Path, Error);
    Error = {"The file cannot be read (Input/output error)", 5};
    return nullptr;
}

std::unique_ptr<Mapping> FaultyFileSystem::MapMemory(std::size_t Size)
{
    return FailMapMemory ? nullptr : LocalFileSystem::MapMemory(Size);
}

ScopedPlatform::ScopedPlatform(Prompts* P, System* S, FileSystem* F)
{
    SetPrompts(P);
    SetSystem(S);
    SetFiles(F);
}

ScopedPlatform::~ScopedPlatform()
{
    SetPrompts(nullptr);
    SetSystem(nullptr);
    SetFiles(nullptr);
}

}  // namespace platform
