#pragma once
// The one way the program writes a file: the contents go to a temporary file
// beside the target, which is renamed into place only once it is complete.
// Readers see the old file or the new one, never a part; on any failure the
// old file stays as it was and the temporary file is removed. A FIFO or a
// device is written straight through and never removed; a write-protected
// file is refused.

#include "platform/Platform.h"

#include <string>

namespace platform {

// False, with the reason in Error, when Path names no file (empty, or ending
// in "/"), when it names a write-protected file (see IsWriteProtected in
// OutputTarget.h), when the temporary file cannot be written completely or
// when the rename fails.
bool ReplaceFile(const std::string& Path, const std::string& Contents, FileError& Error);

// The directory part of Path with its trailing "/" ("" for a bare name), and
// the name after the last "/".
std::string DirectoryOf(const std::string& Path);
std::string NameOf(const std::string& Path);

}  // namespace platform
