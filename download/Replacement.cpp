#include "download/Replacement.h"

#include "platform/ReplaceFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

FileError Failure(int Code) { return {std::strerror(Code), Code}; }

}  // namespace

TReplacement::TReplacement() = default;

TReplacement::~TReplacement() { Discard(); }

bool TReplacement::Open(const std::string& Path, FileError& Error)
{
    Discard();
    if (Path.empty() || NameOf(Path).empty()) {
        Error = {"no file name", EINVAL};
        return false;
    }
    static std::atomic<unsigned> Counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = DirectoryOf(Path) + ".pf" + std::to_string(::getpid()) + "-s" +
                                 std::to_string(Counter++) + ".part";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            fd_ = fd;
            path_ = Path;
            temporary_ = name;
            return true;
        }
        if (errno != EEXIST) {
            Error = Failure(errno);
            return false;
        }
    }
    Error = Failure(EEXIST);
    return false;
}

bool TReplacement::Write(std::string_view Bytes, FileError& Error)
{
    if (fd_ < 0) {
        Error = {"the file is not open", EBADF};
        return false;
    }
    while (!Bytes.empty()) {
        const ssize_t n = ::write(fd_, Bytes.data(), Bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            Error = Failure(errno);
            return false;
        }
        Bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

bool TReplacement::Commit(FileError& Error)
{
    if (fd_ < 0) {
        Error = {"the file is not open", EBADF};
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        Error = Failure(errno);
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        Error = Failure(errno);
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    return true;
}

void TReplacement::Discard()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace platform
