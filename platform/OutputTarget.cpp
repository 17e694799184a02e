#include "platform/OutputTarget.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool WriteBitClear(const struct stat& St)
{
    if (St.st_uid == ::geteuid()) return (St.st_mode & S_IWUSR) == 0;
    if (St.st_gid == ::getegid()) return (St.st_mode & S_IWGRP) == 0;
    return (St.st_mode & S_IWOTH) == 0;
}

}  // namespace

bool IsWriteProtected(const std::string& Path)
{
    struct stat st;
    if (Path.empty() || ::stat(Path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    // A file of a supplementary group or of another user is judged by the
    // system itself, except for the superuser, whom it never stops.
    if (::geteuid() != 0 && ::access(Path.c_str(), W_OK) != 0) return true;
    return WriteBitClear(st);
}

bool IsSameFile(const std::string& A, const std::string& B)
{
    struct stat a, b;
    if (A.empty() || B.empty() || ::stat(A.c_str(), &a) != 0 || ::stat(B.c_str(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string RefusedOutput(const std::string& Target, const std::vector<std::string>& Inputs)
{
    for (const std::string& input : Inputs)
        if (IsSameFile(Target, input))
            return "will not write '" + Target + "': it is the input file '" + input + "'";
    if (IsWriteProtected(Target)) return "will not write '" + Target + "': the file is write-protected";
    return {};
}

}  // namespace platform
