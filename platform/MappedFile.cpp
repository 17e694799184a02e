#include "platform/MappedFile.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

// A mapping of the system's own, undone when it goes.
class SystemMapping : public Mapping {
public:
    SystemMapping(char* Data, std::size_t Size) : data_(Data), size_(Size) {}
    ~SystemMapping() override
    {
        if (data_) ::munmap(data_, size_);
    }
    SystemMapping(const SystemMapping&) = delete;
    SystemMapping& operator=(const SystemMapping&) = delete;

    char* Data() override { return data_; }
    std::size_t Size() const override { return size_; }

    void Release(std::size_t From, std::size_t To) override
    {
        const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
        const std::size_t from = (From + page - 1) / page * page;
        const std::size_t to = To >= size_ ? size_ : To / page * page;
        if (data_ && to > from) ::madvise(data_ + from, to - from, MADV_DONTNEED);
    }

    bool Populate(std::size_t From, std::size_t To) override
    {
        To = std::min(To, size_);
        return data_ && (To <= From || ::madvise(data_ + From, To - From, MADV_POPULATE_WRITE) == 0);
    }

private:
    char* data_;
    std::size_t size_;
};

std::unique_ptr<Mapping> Mapped(void* Data, std::size_t Size)
{
    if (Data == MAP_FAILED) return nullptr;
    return std::make_unique<SystemMapping>(static_cast<char*>(Data), Size);
}

}  // namespace

std::unique_ptr<Mapping> MapOpenFile(int Fd, std::size_t Size)
{
    if (Size == 0) return std::make_unique<SystemMapping>(nullptr, 0);
    return Mapped(::mmap(nullptr, Size, PROT_READ, MAP_PRIVATE, Fd, 0), Size);
}

std::unique_ptr<Mapping> MapFreshMemory(std::size_t Size)
{
    if (Size == 0) return std::make_unique<SystemMapping>(nullptr, 0);
    return Mapped(::mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0), Size);
}

std::unique_ptr<Mapping> FileSystem::MapFile(const std::string& Path, FileError& Error)
{
    // O_NONBLOCK: a FIFO given by mistake must not hang the reading; it is
    // refused below, as a device is (/dev/zero would be read forever).
    const int fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        Error = {std::string("The file cannot be opened (") + std::strerror(code) + ")", code};
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool directory = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
        ::close(fd);
        Error = directory ? FileError{"It is a folder, not a file", EISDIR}
                          : FileError{"It is not a regular file (a pipe or a device)", EINVAL};
        return nullptr;
    }
    std::unique_ptr<Mapping> mapped = MapOpenFile(fd, std::size_t(st.st_size));
    const int code = errno;
    ::close(fd);
    if (!mapped) Error = {"The file cannot be read", code};
    return mapped;
}

std::unique_ptr<Mapping> FileSystem::MapMemory(std::size_t Size) { return MapFreshMemory(Size); }

ReadAhead::ReadAhead(Mapping& Memory)
{
    try {
        worker_ = std::jthread([this, &Memory] {
            try {
                constexpr std::size_t kStep = std::size_t(8) << 20;
                for (std::size_t at = 0; at < Memory.Size() && !stop_; at += kStep)
                    if (!Memory.Populate(at, at + kStep)) break;
            } catch (...) {
                error_ = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No second thread: the filling faults its pages itself.
    }
}

ReadAhead::~ReadAhead()
{
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void ReadAhead::Finish()
{
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

}  // namespace platform
