#include "platform/CorePlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <limits>
#include <new>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace platform {

// ---------------------------------------------------------------- prompts

MsgResult ConsolePrompts::MessageBox(const std::string& Text, const std::string& Caption, MsgButtons Buttons, MsgIcon)
{
    std::string text;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') continue;
        text += Text[i];
    }
    std::cerr << Caption << ": " << text << '\n';
    // Nobody can answer: a question counts as cancelled.
    return Buttons == MsgButtons::OK ? MsgResult::OK : MsgResult::Cancel;
}

// ---------------------------------------------------------------- system

char CoreSystem::DecimalSeparator() const
{
    const QString dp = QLocale::system().decimalPoint();
    if (dp.size() == 1 && dp.at(0).unicode() < 128) return char(dp.at(0).unicode());
    return '.';
}

namespace {
int CollationClass(unsigned char c)
{
    if (c >= '0' && c <= '9') return 1;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128) return 2;
    return 0;  // blanks and punctuation
}
unsigned char Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }
}  // namespace

int CoreSystem::CompareSectionNames(const std::string& A, const std::string& B) const
{
    const size_t n = std::min(A.size(), B.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char a = Upper(A[i]);
        const unsigned char b = Upper(B[i]);
        if (a == b) continue;
        const int ca = CollationClass(a);
        const int cb = CollationClass(b);
        if (ca != cb) return ca < cb ? -1 : 1;
        return a < b ? -1 : 1;
    }
    if (A.size() == B.size()) return 0;
    return A.size() < B.size() ? -1 : 1;
}

int CoreSystem::OSMajorVersion() const
{
    // A current desktop scales windows itself, as Windows does from Vista on.
    return 6;
}

std::string CoreSystem::ProgramPath() const
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath().toLocal8Bit().toStdString();
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

std::optional<std::string> CoreSystem::StoredLongName(const std::string& Path) const
{
    const QString canonical = QFileInfo(QString::fromLocal8Bit(Path.c_str())).canonicalFilePath();
    if (canonical.isEmpty()) return std::nullopt;
    return canonical.toLocal8Bit().toStdString();
}

std::vector<std::string> CoreSystem::Arguments() const
{
    std::vector<std::string> out;
    if (!QCoreApplication::instance()) return out;
    const QStringList args = QCoreApplication::arguments();
    // The arguments as the program got them: a name that is no text in the
    // local encoding would come back from Qt's text with other bytes. Qt may
    // have taken some arguments for itself; the rest match in order.
    std::vector<std::string> raw;
    {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::string arg;
        while (std::getline(in, arg, '\0')) raw.push_back(arg);
    }
    size_t r = raw.empty() ? 0 : 1;
    for (qsizetype i = 1; i < args.size(); ++i) {
        size_t k = r;
        while (k < raw.size() && QString::fromLocal8Bit(raw[k].c_str()) != args[i]) ++k;
        if (k < raw.size()) {
            out.push_back(raw[k]);
            r = k + 1;
        } else {
            out.push_back(args[i].toLocal8Bit().toStdString());
        }
    }
    return out;
}

void CoreSystem::Beep() {}

Modifiers CoreSystem::KeyboardModifiers() const { return Modifiers{}; }

void CoreSystem::SetCursor(CursorShape) {}

namespace {
bool g_terminateRequested = false;
}

bool TerminateRequested() { return g_terminateRequested; }

void CoreSystem::RequestTerminate()
{
    // Honoured once the event loop runs, as the window goes on loading; an
    // event loop that is already running ends as well.
    g_terminateRequested = true;
    if (QCoreApplication::instance())
        QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::quit(); });
}

void CoreSystem::PrintToStdout(const std::string& Text)
{
    std::fwrite(Text.data(), 1, Text.size(), stdout);
    std::fflush(stdout);
}

// ---------------------------------------------------------------- files

namespace {
std::string ErrorText(const std::string& Path, int Code)
{
    return "Cannot open file \"" + Path + "\". " + std::strerror(Code);
}

// The most memory this process could ever hold: all memory and swap, or
// less under an address space limit.
std::uint64_t MemoryThatCanBeHad()
{
    std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    struct sysinfo info;
    if (::sysinfo(&info) == 0)
        most = (std::uint64_t(info.totalram) + std::uint64_t(info.totalswap)) * std::uint64_t(info.mem_unit);
    struct rlimit limit;
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        most = std::min<std::uint64_t>(most, limit.rlim_cur);
    return most;
}

std::string TooLargeText(const std::string& Path, std::uint64_t Size)
{
    return "Cannot open file \"" + Path + "\". It is too large to load: " + std::to_string(Size) +
           " bytes, and no more than " + std::to_string(MemoryThatCanBeHad()) + " bytes of memory could be had";
}
}  // namespace

bool LocalFileSystem::FileExists(const std::string& Path) const
{
    struct stat st;
    return !Path.empty() && ::stat(Path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool LocalFileSystem::DeleteFile(const std::string& Path) { return ::unlink(Path.c_str()) == 0; }

bool LocalFileSystem::MoveFile(const std::string& From, const std::string& To)
{
    struct stat st;
    if (::lstat(To.c_str(), &st) == 0) return false;  // never overwrite
    if (::lstat(From.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    // link + unlink refuses an existing target atomically on one file system.
    if (::link(From.c_str(), To.c_str()) == 0) return ::unlink(From.c_str()) == 0;
    if (errno != EXDEV && errno != EPERM && errno != ENOTSUP) return false;
    // Another file system: copy, then delete the original.
    std::string contents;
    FileError err;
    if (!ReadAll(From, contents, err)) return false;
    const int fd = ::open(To.c_str(), O_WRONLY | O_CREAT | O_EXCL, st.st_mode & 0777);
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += size_t(n);
    }
    if (::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (!ok) {
        ::unlink(To.c_str());
        return false;
    }
    return ::unlink(From.c_str()) == 0;
}

bool FileSystem::WriteTo(int Fd, std::string_view Bytes, FileError& Error)
{
    std::size_t done = 0;
    while (done < Bytes.size()) {
        const ssize_t n = ::write(Fd, Bytes.data() + done, Bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            Error = {std::string("Write error: ") + std::strerror(code), code};
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

bool LocalFileSystem::ReadAll(const std::string& Path, std::string& Contents, FileError& Error)
{
    // O_NONBLOCK keeps a FIFO from blocking the window; it is refused below.
    const int fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Error = {ErrorText(Path, errno), errno};
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int code = (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) ? EISDIR : EINVAL;
        ::close(fd);
        // "Invalid argument" would tell the user nothing about a pipe or a
        // device chosen in place of a file.
        Error = {code == EISDIR ? ErrorText(Path, code)
                                : "Cannot open file \"" + Path + "\". It is not a regular file (a pipe or a device)",
                 code};
        return false;
    }
    // One byte more than the size, so the end of a regular file is seen
    // without growing the buffer (a page is held once, not twice).
    // A file larger than all the memory there is is refused before any of
    // it is read; one the allocator refuses later is refused alike.
    const std::uint64_t size = std::uint64_t(st.st_size);
    std::string data;
    size_t done = 0;
    try {
        if (size >= MemoryThatCanBeHad()) throw std::bad_alloc();
        data.resize(size_t(size) + 1);
    } catch (const std::bad_alloc&) {
        ::close(fd);
        Error = {TooLargeText(Path, size), ENOMEM};
        return false;
    }
    for (;;) {
        if (done == data.size()) {
            try {
                data.resize(data.size() + data.size() / 2 + 65536);
            } catch (const std::bad_alloc&) {
                ::close(fd);
                Error = {TooLargeText(Path, done), ENOMEM};
                return false;
            }
        }
        const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            ::close(fd);
            Error = {ErrorText(Path, code), code};
            return false;
        }
        if (n == 0) break;
        done += size_t(n);
    }
    ::close(fd);
    data.resize(done);
    if (data.capacity() > done + done / 8 + 4096) data.shrink_to_fit();
    Contents.swap(data);
    return true;
}

bool LocalFileSystem::WriteAll(const std::string& Path, const std::string& Contents, FileError& Error)
{
    const int fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        Error = {"Cannot create file \"" + Path + "\". " + std::strerror(errno), errno};
        return false;
    }
    size_t done = 0;
    while (done < Contents.size()) {
        const ssize_t n = ::write(fd, Contents.data() + done, Contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            ::close(fd);
            Error = {std::string("Write error: ") + std::strerror(code), code};
            return false;
        }
        done += size_t(n);
    }
    if (::close(fd) != 0) {
        Error = {std::string("Close error: ") + std::strerror(errno), errno};
        return false;
    }
    return true;
}

}  // namespace platform
