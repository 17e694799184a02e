#include "platform/Platform.h"

#include "platform/QtPlatform.h"

namespace platform {
namespace {
Prompts* g_prompts = nullptr;
System* g_system = nullptr;
FileSystem* g_files = nullptr;
}  // namespace

Prompts& prompts()
{
    static QtPrompts fallback;
    return g_prompts ? *g_prompts : fallback;
}

System& system()
{
    static QtSystem fallback;
    return g_system ? *g_system : fallback;
}

FileSystem& files()
{
    static LocalFileSystem fallback;
    return g_files ? *g_files : fallback;
}

std::unique_ptr<Progress> Prompts::ShowProgress(const std::string&, int)
{
    return std::make_unique<SilentProgress>();
}

void SetPrompts(Prompts* P) { g_prompts = P; }
void SetSystem(System* S) { g_system = S; }
void SetFiles(FileSystem* F) { g_files = F; }

}  // namespace platform
