#include "platform/Platform.h"

#include "platform/CorePlatform.h"

namespace platform {
namespace {
Prompts* g_prompts = nullptr;
System* g_system = nullptr;
FileSystem* g_files = nullptr;

ConsolePrompts g_consolePrompts;
CoreSystem g_coreSystem;
Prompts* g_defaultPrompts = &g_consolePrompts;
System* g_defaultSystem = &g_coreSystem;
}  // namespace

Prompts& prompts() { return g_prompts ? *g_prompts : *g_defaultPrompts; }

System& system() { return g_system ? *g_system : *g_defaultSystem; }

FileSystem& files()
{
    static LocalFileSystem fallback;
    return g_files ? *g_files : fallback;
}

std::unique_ptr<Progress> Prompts::ShowProgress(const std::string&, int) { return std::make_unique<SilentProgress>(); }

std::unique_ptr<TransferProgress> Prompts::ShowTransfer(const std::string&)
{
    return std::make_unique<SilentTransferProgress>();
}

bool Prompts::OpenFilesDialog(const FileDialogSetup& Setup, std::vector<std::string>& Chosen)
{
    std::string one;
    if (!OpenFileDialog(Setup, one)) return false;
    Chosen = {one};
    return true;
}

bool Prompts::DateRangeDialog(std::string&, std::string&) { return false; }

bool Prompts::CheckedDateRangeDialog(std::string& From, std::string& To,
                                     const std::function<std::string(const std::string&, const std::string&)>& Check,
                                     const std::string& Caption)
{
    while (DateRangeDialog(From, To)) {
        const std::string fault = Check ? Check(From, To) : std::string();
        if (fault.empty()) return true;
        MessageBox(fault, Caption, MsgButtons::OK, MsgIcon::Error);
    }
    return false;
}

void SetPrompts(Prompts* P) { g_prompts = P; }
void SetSystem(System* S) { g_system = S; }
void SetFiles(FileSystem* F) { g_files = F; }

void SetDefaults(Prompts* P, System* S)
{
    g_defaultPrompts = P ? P : &g_consolePrompts;
    g_defaultSystem = S ? S : &g_coreSystem;
}

}  // namespace platform
