#include "app/OffThread.h"

#include "platform/Platform.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <system_error>

namespace app {

struct TOffThread::TJob {
    std::atomic<bool> Done{false};
    std::exception_ptr Error;
    QEventLoop* Loop = nullptr;  // the wait, while it lasts (the window's thread alone)
};

TOffThread::~TOffThread()
{
    for (auto& [job, thread] : threads_)
        if (thread.joinable()) thread.join();
}

namespace {

// The loop's exit code when the progress window is due.
constexpr int kProgressDue = 2;

}  // namespace

bool TOffThread::Wait(const std::string& Text, std::function<void()> Work)
{
    // Threads of jobs that ended are let go.
    std::erase_if(threads_, [](auto& Entry) {
        if (!Entry.first->Done) return false;
        Entry.second.join();
        return true;
    });
    auto job = std::make_shared<TJob>();
    QEventLoop loop;
    job->Loop = &loop;
    const auto body = [job, Work] {
        try {
            Work();
        } catch (...) {
            job->Error = std::current_exception();
        }
        job->Done = true;
        if (QCoreApplication* application = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                application,
                [job] {
                    if (job->Loop) job->Loop->quit();
                },
                Qt::QueuedConnection);
    };
    try {
        threads_.emplace_back(job, std::thread(body));
    } catch (const std::system_error&) {
        body();  // no thread to be had: the job runs here
    }
    if (!job->Done) {
        QTimer::singleShot(ProgressDelayMs, &loop, [&loop] { loop.exit(kProgressDue); });
        // No user input reaches the window before the progress window can
        // take it.
        if (loop.exec(QEventLoop::ExcludeUserInputEvents) == kProgressDue && !job->Done) {
            const std::unique_ptr<platform::Progress> progress = platform::prompts().ShowProgress(Text, 0);
            int ticks = 0;
            QTimer ticker;
            ticker.setInterval(100);
            QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
                progress->SetValue(++ticks);
                if (progress->Cancelled()) loop.quit();
            });
            ticker.start();
            if (!job->Done) loop.exec();
        }
    }
    job->Loop = nullptr;
    // Cancelled, or the application ends: the result is not waited for.
    if (!job->Done) return false;
    if (job->Error) std::rethrow_exception(job->Error);
    return true;
}

}  // namespace app
