#pragma once
// A progress window for a long job the user may cancel. The job reports each
// step it finishes and asks after every step whether to go on; tests replace
// the window with a double that records the steps and can cancel at a chosen
// one.

#include <functional>
#include <memory>
#include <string>

namespace platform {

class Progress {
public:
    virtual ~Progress() = default;
    // Steps done so far, 0 .. the maximum the window was opened with.
    virtual void SetValue(int Value) = 0;
    // True once the user asked to stop.
    virtual bool Cancelled() = 0;
};

// A progress that shows nothing and is never cancelled: for prompts that
// have no window to show (a tool run from a terminal).
class SilentProgress : public Progress {
public:
    void SetValue(int) override {}
    bool Cancelled() override { return false; }
};

// A progress window for a job that runs in the event loop (a download): it
// never blocks the window; the job updates it as it goes and hears the
// user's Cancel through OnCancel. It closes when the object goes.
class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    // The share done, 0..1 (negative: the total is not known), and the line
    // under the bar.
    virtual void SetProgress(double Fraction, const std::string& Text) = 0;
    std::function<void()> OnCancel;
};

class SilentTransferProgress : public TransferProgress {
public:
    void SetProgress(double, const std::string&) override {}
};

// The toolkit's window for a transfer: not modal, with a Cancel button.
std::unique_ptr<TransferProgress> MakeQtTransferProgress(const std::string& Text);

// The toolkit's progress dialog, modal to the active window, with a Cancel
// button; it closes when the object goes.
std::unique_ptr<Progress> MakeQtProgress(const std::string& Text, int Maximum);

}  // namespace platform
