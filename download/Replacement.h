#pragma once
// Until the file-writing helper's streaming writer is on this branch: the
// same interface, so the cache writes through it unchanged once it is.

#include "platform/Platform.h"

#include <string>
#include <string_view>

namespace platform {

// Writes a file piece by piece into a temporary file beside the target
// (O_EXCL|O_NOFOLLOW), renamed over the target by Commit only when complete;
// destroyed without Commit, the temporary file is removed and the target
// stays as it was.
class TReplacement {
public:
    TReplacement();
    ~TReplacement();
    TReplacement(const TReplacement&) = delete;
    TReplacement& operator=(const TReplacement&) = delete;
    bool Open(const std::string& Path, FileError& Error);
    bool Write(std::string_view Bytes, FileError& Error);
    bool Commit(FileError& Error);
    void Discard();

private:
    int fd_ = -1;
    std::string path_;
    std::string temporary_;
};

}  // namespace platform
