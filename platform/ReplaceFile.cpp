#include "platform/ReplaceFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace platform {

namespace {

// A name beside Path that no other writer (of this or another process) uses
// at the same time.
std::string TemporaryNameFor(const std::string& Path)
{
    static std::atomic<unsigned> Counter{0};
    return DirectoryOf(Path) + "." + NameOf(Path) + "." + std::to_string(::getpid()) + "." +
           std::to_string(Counter++) + ".part";
}

}  // namespace

std::string DirectoryOf(const std::string& Path)
{
    const std::size_t Slash = Path.rfind('/');
    return Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
}

std::string NameOf(const std::string& Path)
{
    const std::size_t Slash = Path.rfind('/');
    return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

bool ReplaceFile(const std::string& Path, const std::string& Contents, FileError& Error)
{
    if (Path.empty() || NameOf(Path).empty()) {
        Error = {"no file name", EINVAL};
        return false;
    }
    const std::string Temporary = TemporaryNameFor(Path);
    if (!files().WriteAll(Temporary, Contents, Error)) {
        // Whatever part of it was written is no use to anyone.
        files().DeleteFile(Temporary);
        return false;
    }
    // One step on the same file system: readers see the old file or the new
    // one, never a part.
    if (std::rename(Temporary.c_str(), Path.c_str()) != 0) {
        const int Code = errno;
        files().DeleteFile(Temporary);
        Error = {std::strerror(Code), Code};
        return false;
    }
    return true;
}

}  // namespace platform
