#include "platform/ReplaceFile.h"

#include "platform/OutputTarget.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Where the bytes written to a name really go.
struct TWhere {
    enum Kind { File, Stream, Descriptor, Loop, Other } Kind = File;
    std::string Path;  // File: the file to replace (links followed); Stream: the node
    int Fd = -1;       // Descriptor: the open descriptor the name stands for
    bool Exists = false;
    struct stat Stat {};
};

// "/dev/stdout", "/dev/stderr", "/dev/fd/N", "/proc/self/fd/N" and
// "/proc/<this process>/fd/N" stand for a descriptor of this process.
bool DescriptorName(const std::string& Path, int& Fd)
{
    if (Path == "/dev/stdout") return (Fd = 1), true;
    if (Path == "/dev/stderr") return (Fd = 2), true;
    std::string rest;
    const std::string self = "/proc/" + std::to_string(::getpid()) + "/fd/";
    for (const std::string& prefix : {std::string("/dev/fd/"), std::string("/proc/self/fd/"), self})
        if (Path.compare(0, prefix.size(), prefix) == 0) rest = Path.substr(prefix.size());
    if (rest.empty() || rest.size() > 9 || rest.find_first_not_of("0123456789") != std::string::npos) return false;
    Fd = std::atoi(rest.c_str());
    return true;
}

// A file of the program's own: the name itself, never what a link names.
TWhere LocateOwn(const std::string& Path)
{
    TWhere where;
    where.Path = Path;
    struct stat st;
    if (::lstat(Path.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return where;  // new, or a link replaced
    if (!S_ISREG(st.st_mode)) {
        where.Kind = TWhere::Other;
        return where;
    }
    where.Exists = true;
    where.Stat = st;
    return where;
}

TWhere Locate(const std::string& Path, TNameMode Mode)
{
    if (Mode == TNameMode::OwnFile) return LocateOwn(Path);
    TWhere where;
    std::string path = Path;
    for (int hop = 0; hop < 40; ++hop) {
        if (DescriptorName(path, where.Fd)) {
            where.Kind = TWhere::Descriptor;
            where.Path = path;
            return where;
        }
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            where.Path = path;  // a new file
            return where;
        }
        if (S_ISLNK(st.st_mode)) {
            char buf[4096];
            const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
            if (n <= 0 || std::size_t(n) >= sizeof buf) break;
            const std::string link(buf, std::size_t(n));
            path = link.front() == '/' ? link : DirectoryOf(path) + link;
            continue;
        }
        where.Path = path;
        where.Exists = true;
        where.Stat = st;
        where.Kind = S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) ? TWhere::File : TWhere::Stream;
        return where;
    }
    where.Kind = TWhere::Loop;
    where.Path = path;
    return where;
}

// Creates a new file beside Path that no other writer (of this or another
// process) uses, exclusively and without following a link, with the mode
// (and, for the superuser, the owner) of the file it replaces. Its name is
// short whatever the length of Path's own name, so a target of the longest
// legal name can be written. The descriptor, or -1 with Error set.
int CreateTemporary(const TWhere& Where, std::string& Name, FileError& Error)
{
    static std::atomic<unsigned> Counter{0};
    for (int attempt = 0; attempt < 1000; ++attempt) {
        Name = DirectoryOf(Where.Path) + ".pf" + std::to_string(::getpid()) + "-" + std::to_string(Counter++) + ".part";
        const int fd = ::open(Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            const int code = errno;
            Error = {"Cannot create file \"" + Name + "\". " + std::strerror(code), code};
            return -1;
        }
        if (Where.Exists && S_ISREG(Where.Stat.st_mode)) {
            if (::geteuid() == 0 && ::fchown(fd, Where.Stat.st_uid, Where.Stat.st_gid) != 0) {
                // The file keeps its mode; its owner is the superuser's.
            }
            (void)::fchmod(fd, Where.Stat.st_mode & 07777);
        }
        return fd;
    }
    Error = {"Cannot create a temporary file beside \"" + Where.Path + "\"", EEXIST};
    return -1;
}

bool Refused(const std::string& Path, const TWhere& Where, TNameMode Mode, FileError& Error)
{
    if (Path.empty() || NameOf(Path).empty()) {
        Error = {"no file name", EINVAL};
        return true;
    }
    if (Where.Kind == TWhere::Loop) {
        Error = {std::strerror(ELOOP), ELOOP};
        return true;
    }
    if (Where.Kind == TWhere::Other) {
        Error = {"it is not a regular file", 0};
        return true;
    }
    // A file of the program's own is replaced by name whatever its mode.
    if (Mode == TNameMode::Output && IsWriteProtected(Path)) {
        Error = {"the file is write-protected", EACCES};
        return true;
    }
    return false;
}

bool RenameInto(const std::string& Temporary, const std::string& Target, FileError& Error)
{
    // One step on the same file system: readers see the old file or the new
    // one, never a part.
    if (std::rename(Temporary.c_str(), Target.c_str()) == 0) return true;
    const int code = errno;
    ::unlink(Temporary.c_str());
    Error = {std::strerror(code), code};
    return false;
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

bool ReplaceFile(const std::string& Path, const std::string& Contents, FileError& Error, TNameMode Mode)
{
    const TWhere where = Locate(Path, Mode);
    if (Refused(Path, where, Mode, Error)) return false;
    // Written straight through, and never removed, whatever happens.
    if (where.Kind == TWhere::Descriptor) return files().WriteTo(where.Fd, Contents, Error);
    if (where.Kind == TWhere::Stream) return files().WriteAll(where.Path, Contents, Error);
    std::string temporary;
    const int fd = CreateTemporary(where, temporary, Error);
    if (fd < 0) return false;
    ::close(fd);
    // The contents go through the file system layer, which may be a double.
    if (!files().WriteAll(temporary, Contents, Error)) {
        // Whatever part of it was written is no use to anyone; it is ours,
        // created above, so it goes whatever the file layer allows.
        ::unlink(temporary.c_str());
        return false;
    }
    return RenameInto(temporary, where.Path, Error);
}

TReplacement::TReplacement() = default;

TReplacement::~TReplacement() { Discard(); }

bool TReplacement::Open(const std::string& Path, FileError& Error, TNameMode Mode)
{
    Discard();
    const TWhere where = Locate(Path, Mode);
    if (Refused(Path, where, Mode, Error)) return false;
    switch (where.Kind) {
    case TWhere::Descriptor:
        fd_ = where.Fd;
        ownFd_ = false;
        return true;
    case TWhere::Stream:
        fd_ = ::open(where.Path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) {
            const int code = errno;
            Error = {"Cannot open \"" + where.Path + "\". " + std::strerror(code), code};
            return false;
        }
        ownFd_ = true;
        return true;
    default:
        fd_ = CreateTemporary(where, temporary_, Error);
        if (fd_ < 0) return false;
        ownFd_ = true;
        target_ = where.Path;
        return true;
    }
}

bool TReplacement::Write(std::string_view Bytes, FileError& Error)
{
    if (fd_ < 0) {
        Error = {"the file is not open", EBADF};
        return false;
    }
    return files().WriteTo(fd_, Bytes, Error);
}

bool TReplacement::Commit(FileError& Error)
{
    if (fd_ < 0) {
        Error = {"the file is not open", EBADF};
        return false;
    }
    const int fd = fd_;
    const bool own = ownFd_;
    fd_ = -1;
    if (own && ::close(fd) != 0) {
        const int code = errno;
        Error = {std::string("Close error: ") + std::strerror(code), code};
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    if (temporary_.empty()) return true;
    const std::string temporary = std::move(temporary_);
    temporary_.clear();
    return RenameInto(temporary, target_, Error);
}

void TReplacement::Discard()
{
    if (fd_ >= 0 && ownFd_) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    target_.clear();
}

}  // namespace platform
