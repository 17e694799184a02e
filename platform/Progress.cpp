#include "platform/Progress.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProgressDialog>

#include <algorithm>

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

class QtTransferProgress : public TransferProgress {
public:
    explicit QtTransferProgress(const std::string& Text)
        : dialog_(QString::fromLocal8Bit(Text.c_str()), QStringLiteral("Cancel"), 0, 1000, QApplication::activeWindow())
    {
        dialog_.setObjectName("TransferProgress");
        // A window of its own in the task bar: it says what it is.
        const QString program = QGuiApplication::applicationDisplayName();
        dialog_.setWindowTitle(program.isEmpty() ? QStringLiteral("Download") : "Download - " + program);
        dialog_.setWindowModality(Qt::NonModal);
        dialog_.setMinimumDuration(0);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setMinimumWidth(420);
        label_ = QString::fromLocal8Bit(Text.c_str());
        QObject::connect(&dialog_, &QProgressDialog::canceled, &dialog_, [this] {
            if (OnCancel) OnCancel();
        });
        dialog_.setValue(0);
        dialog_.show();
    }

    void SetProgress(double Fraction, const std::string& Text) override
    {
        if (Fraction < 0)
            dialog_.setRange(0, 0);
        else {
            dialog_.setRange(0, 1000);
            dialog_.setValue(int(std::clamp(Fraction, 0.0, 1.0) * 1000));
        }
        dialog_.setLabelText(label_ + "\n" + QString::fromLocal8Bit(Text.c_str()));
    }

private:
    QProgressDialog dialog_;
    QString label_;
};

}  // namespace

std::unique_ptr<TransferProgress> MakeQtTransferProgress(const std::string& Text)
{
    return std::make_unique<QtTransferProgress>(Text);
}

std::unique_ptr<Progress> MakeQtProgress(const std::string& Text, int Maximum)
{
    return std::make_unique<QtProgress>(Text, Maximum);
}

}  // namespace platform
