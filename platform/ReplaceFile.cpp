#include "platform/ReplaceFile.h"

#include "platform/OutputTarget.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A name beside Path that no other writer (of this or another process) uses
// at the same time, and no file there has. It is short whatever the length
// of Path's own name, so a target of the longest legal name can be written.
std::string TemporaryNameFor(const std::string& Path)
{
    static std::atomic<unsigned> Counter{0};
    for (;;) {
        const std::string name = DirectoryOf(Path) + ".pf" + std::to_string(::getpid()) + "-" +
                                 std::to_string(Counter++) + ".part";
        struct stat st;
        if (::lstat(name.c_str(), &st) != 0) return name;
    }
}

// A FIFO, a device or a socket takes the data as it comes; a rename would
// put a plain file in its place.
bool IsStream(const std::string& Path)
{
    struct stat st;
    return ::stat(Path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
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
    if (IsWriteProtected(Path)) {
        Error = {"the file is write-protected", EACCES};
        return false;
    }
    // Written straight through, and never removed, whatever happens.
    if (IsStream(Path)) return files().WriteAll(Path, Contents, Error);
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
