#pragma once
// The one way the program writes a file: the contents go to a temporary file
// beside the target, which is renamed into place only once it is complete.
// Readers see the old file or the new one, never a part; on any failure the
// old file stays as it was and the temporary file is removed.
//
// Where the target is: a symbolic link is followed, so a link to a regular
// file has that file replaced (the temporary file beside it, not beside the
// link), keeping the file's mode. A FIFO, a device, a socket, standard
// output or any open descriptor named as /dev/stdout, /dev/fd/N or
// /proc/self/fd/N is written straight through and never renamed over or
// removed. A write-protected file is refused.
//
// A file of the program's own (the download cache) is the name itself
// instead: a symbolic link there is replaced, never written through, and
// anything but a regular file or nothing (a FIFO, a device, a folder) is
// refused without being opened.

#include "platform/Platform.h"

#include <string>
#include <string_view>

namespace platform {

enum class TNameMode { Output, OwnFile };

// False, with the reason in Error, when Path names no file (empty, or ending
// in "/"), when it names a write-protected file (see IsWriteProtected in
// OutputTarget.h), when the temporary file cannot be written completely or
// when the rename fails.
bool ReplaceFile(const std::string& Path, const std::string& Contents, FileError& Error,
                 TNameMode Mode = TNameMode::Output);

// Writes a file piece by piece by the same rules: into a temporary file
// beside the target (created with O_EXCL | O_NOFOLLOW), renamed over the
// target by Commit only when complete. Destroyed or discarded without
// Commit, the temporary file is removed and the target stays as it was.
class TReplacement {
public:
    TReplacement();
    ~TReplacement();
    TReplacement(const TReplacement&) = delete;
    TReplacement& operator=(const TReplacement&) = delete;

    bool Open(const std::string& Path, FileError& Error, TNameMode Mode = TNameMode::Output);
    // The temporary file being written ("" when none).
    const std::string& Temporary() const { return temporary_; }
    bool Write(std::string_view Bytes, FileError& Error);
    bool Commit(FileError& Error);
    void Discard();

private:
    int fd_ = -1;
    bool ownFd_ = false;  // fd_ was opened here (not standard output)
    std::string target_;  // where Commit renames to; empty when written straight
    std::string temporary_;
};

// The directory part of Path with its trailing "/" ("" for a bare name), and
// the name after the last "/".
std::string DirectoryOf(const std::string& Path);
std::string NameOf(const std::string& Path);

}  // namespace platform
