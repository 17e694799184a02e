#pragma once
// The temporary files of downloads (".pf<PID>-<N>.part" in the cache, the
// file-writing helper's names): removed by their own process when it is
// ended by SIGINT, SIGTERM or SIGHUP, and by any later one once the process
// that wrote them no longer exists.

#include <string>

namespace download {

// While armed, a signal that would end the process (SIGINT, SIGTERM or
// SIGHUP left to their default action) first removes Path; the signal then
// takes its default course. A few guards may be armed at once.
class TPartGuard {
public:
    TPartGuard() = default;
    ~TPartGuard() { Disarm(); }
    TPartGuard(const TPartGuard&) = delete;
    TPartGuard& operator=(const TPartGuard&) = delete;

    void Arm(const std::string& Path);
    void Disarm();

private:
    int slot_ = -1;
};

// Removes the temporary files in Directory whose process no longer exists;
// the number removed.
int SweepPartFiles(const std::string& Directory);

}  // namespace download
