#pragma once
// Memory the system maps: the bytes of a file, read only, or fresh zeroed
// pages to fill (an archive inflated whole); the pages of either go back to
// the system once released. Also the thread that faults the pages of fresh
// memory in ahead of the one filling it. The file system of Platform.h hands
// mappings out (MapFile, MapMemory), so that test doubles can refuse them.

#include <atomic>
#include <cstddef>
#include <exception>
#include <memory>
#include <string_view>
#include <thread>

namespace platform {

class Mapping {
public:
    virtual ~Mapping() = default;
    // The first byte; writable for fresh memory only. Null when Size() is 0.
    virtual char* Data() = 0;
    virtual std::size_t Size() const = 0;
    std::string_view Bytes() { return {Data(), Size()}; }
    // The bytes of [From, To) are no longer needed: the whole pages among
    // them go back to the system (a file's are read again when touched,
    // fresh memory's read as zeros).
    virtual void Release(std::size_t From, std::size_t To) = 0;
    // Faults the pages of [From, To) of fresh memory in, ready to be
    // written; false when the system cannot.
    virtual bool Populate(std::size_t From, std::size_t To) = 0;
};

// Size bytes of the file open as Fd mapped read only (the descriptor may be
// closed afterwards); null when the system refuses.
std::unique_ptr<Mapping> MapOpenFile(int Fd, std::size_t Size);
// Size bytes of fresh zeroed memory; null when the system refuses.
std::unique_ptr<Mapping> MapFreshMemory(std::size_t Size);

// Faults the pages of Memory in on a thread of its own, in order, while the
// caller fills them, so that the filling does not stop at each new page;
// never touches the bytes. Stops at the end of its scope or when the system
// cannot do it; without a second thread nothing is done ahead. What the
// thread throws is thrown on by Finish.
class ReadAhead {
public:
    explicit ReadAhead(Mapping& Memory);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Stops the thread, waits for it, and throws what it threw.
    void Finish();

private:
    std::atomic<bool> stop_{false};
    std::exception_ptr error_;
    std::jthread worker_;
};

}  // namespace platform
