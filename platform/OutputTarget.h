#pragma once
// What an output may not be: one of the files the output is made from (the
// same file by any name: another spelling, a symbolic or a hard link), or a
// write-protected file. Checked before anything is written, by every
// command that writes a file the user named.

#include <string>
#include <vector>

namespace platform {

// True when Path names an existing file whose mode gives its owner class no
// write permission (the owner's, group's or others' bits, whichever apply
// to this process). The bits are read as they are, also for the superuser,
// who could write the file anyway.
bool IsWriteProtected(const std::string& Path);

// True when A and B name the same existing file (same device and inode,
// symbolic links followed).
bool IsSameFile(const std::string& A, const std::string& B);

// Empty when Target may be written; else why not, in a sentence that names
// Target (and the input it would overwrite). Inputs that do not exist, and
// empty names, are passed over.
std::string RefusedOutput(const std::string& Target, const std::vector<std::string>& Inputs);

}  // namespace platform
