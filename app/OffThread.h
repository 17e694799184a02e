#pragma once
// Work that would hold the window up (reading station files) done on a
// thread of its own. The window goes on painting meanwhile without taking
// user input; a job that runs longer than ProgressDelayMs opens a progress
// window (platform::prompts().ShowProgress) whose Cancel ends the wait. A
// cancelled job runs to its end unseen and its result is dropped; the
// object waits for such jobs when it goes.

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace app {

class TOffThread {
public:
    TOffThread() = default;
    ~TOffThread();
    TOffThread(const TOffThread&) = delete;
    TOffThread& operator=(const TOffThread&) = delete;

    // Runs Work on a thread of its own and waits for it: its result, or
    // nothing when the user cancelled. What Work throws is thrown on here.
    // Work must own everything it uses (it may outlive the call).
    template <typename T>
    std::optional<T> Run(const std::string& Text, std::function<T()> Work)
    {
        auto result = std::make_shared<std::optional<T>>();
        if (!Wait(Text, [result, work = std::move(Work)] { *result = work(); })) return std::nullopt;
        return std::move(*result);
    }

    // How long a job runs before the progress window opens; the toolkit's
    // window shows itself half a second later, so a job of over a second
    // offers a Cancel.
    int ProgressDelayMs = 500;

private:
    struct TJob;
    bool Wait(const std::string& Text, std::function<void()> Work);

    // The threads of the jobs, cancelled ones among them, until they end.
    std::vector<std::pair<std::shared_ptr<TJob>, std::thread>> threads_;
};

}  // namespace app
