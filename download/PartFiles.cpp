#include "download/PartFiles.h"

#include <QDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <signal.h>
#include <unistd.h>

namespace download {

namespace {

constexpr int kSlots = 4;
constexpr std::size_t kPathBytes = 4096;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Prepared before a signal may come: the handler only reads them.
char g_paths[kSlots][kPathBytes];
volatile std::sig_atomic_t g_armed[kSlots];
struct sigaction g_before[3];
bool g_installed[3];
int g_inUse = 0;
std::mutex g_lock;

extern "C" void RemovePartsAndEnd(int Signal)
{
    // Async-signal-safe only: unlink, signal, raise.
    for (int i = 0; i < kSlots; ++i)
        if (g_armed[i]) ::unlink(g_paths[i]);
    ::signal(Signal, SIG_DFL);
    ::raise(Signal);
}

// The handler goes in only where the signal would end the process anyway:
// an ignored signal or a handler of the program's own is left alone.
void Install()
{
    for (int i = 0; i < 3; ++i) {
        struct sigaction now {};
        g_installed[i] = false;
        if (::sigaction(kSignals[i], nullptr, &now) != 0 || (now.sa_flags & SA_SIGINFO) || now.sa_handler != SIG_DFL)
            continue;
        struct sigaction ours {};
        ours.sa_handler = RemovePartsAndEnd;
        sigemptyset(&ours.sa_mask);
        g_installed[i] = ::sigaction(kSignals[i], &ours, &g_before[i]) == 0;
    }
}

void Restore()
{
    for (int i = 0; i < 3; ++i)
        if (g_installed[i]) ::sigaction(kSignals[i], &g_before[i], nullptr);
}

}  // namespace

void TPartGuard::Arm(const std::string& Path)
{
    Disarm();
    if (Path.empty() || Path.size() >= kPathBytes) return;
    const std::lock_guard<std::mutex> lock(g_lock);
    for (int i = 0; i < kSlots; ++i) {
        if (g_armed[i]) continue;
        std::memcpy(g_paths[i], Path.c_str(), Path.size() + 1);
        g_armed[i] = 1;
        slot_ = i;
        if (g_inUse++ == 0) Install();
        return;
    }
}

void TPartGuard::Disarm()
{
    if (slot_ < 0) return;
    const std::lock_guard<std::mutex> lock(g_lock);
    g_armed[slot_] = 0;
    slot_ = -1;
    if (--g_inUse == 0) Restore();
}

int SweepPartFiles(const std::string& Directory)
{
    int removed = 0;
    const QDir dir(QString::fromLocal8Bit(Directory.c_str()));
    for (const QString& n : dir.entryList({QStringLiteral(".pf*.part")}, QDir::Files | QDir::Hidden | QDir::System)) {
        // ".pf<PID>-<N>.part"
        const std::string name = n.toLocal8Bit().toStdString();
        const std::size_t dash = name.find('-');
        if (dash == std::string::npos || dash <= 3 || dash - 3 > 9) continue;
        const std::string pid = name.substr(3, dash - 3);
        const std::string counter = name.substr(dash + 1, name.size() - 5 - dash - 1);
        if (pid.find_first_not_of("0123456789") != std::string::npos || counter.empty() ||
            counter.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (::kill(pid_t(std::stol(pid)), 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to tell
        if (::unlink((Directory + name).c_str()) == 0) ++removed;
    }
    return removed;
}

}  // namespace download
