#include "platform/Version.h"

// Written at build time into the build folder: PROFILORA_VERSION (the CMake
// project version) and PROFILORA_COMMIT (empty outside a git checkout).
#include "ProfiloraVersion.h"

namespace platform {

std::string VersionText()
{
    std::string text = std::string("profilora ") + PROFILORA_VERSION;
    if (*PROFILORA_COMMIT) text += std::string(" (commit ") + PROFILORA_COMMIT + ")";
    return text;
}

}  // namespace platform
