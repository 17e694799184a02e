#include "platform/Progress.h"

#include <QApplication>
#include <QProgressDialog>

namespace platform {

namespace {

class QtProgress : public Progress {
public:
    QtProgress(const std::string& Text, int Maximum)
        : dialog_(QString::fromLocal8Bit(Text.c_str()), QStringLiteral("Cancel"), 0, std::max(0, Maximum),
                  QApplication::activeWindow())
    {
        dialog_.setWindowModality(Qt::WindowModal);
        // A short job finishes before anybody could read the window.
        dialog_.setMinimumDuration(500);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setValue(0);
    }

    // setValue lets the dialog handle its own events (the Cancel button)
    // while the window is modal.
    void SetValue(int Value) override { dialog_.setValue(Value); }
    bool Cancelled() override { return dialog_.wasCanceled(); }

private:
    QProgressDialog dialog_;
};

}  // namespace

std::unique_ptr<Progress> MakeQtProgress(const std::string& Text, int Maximum)
{
    return std::make_unique<QtProgress>(Text, Maximum);
}

}  // namespace platform
