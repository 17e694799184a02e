#pragma once
// A window beside the main one that follows the shown set (the year, skew-T
// and indices windows, the trail): it connects itself to the set's signals
// and to the main window's closing, so the main window tells nobody by hand.

#include <QObject>
#include <QPointer>

class IExtrasHost;
class QEvent;
class QWidget;

namespace app {

class TShownSet;

class TFollower : public QObject {
public:
    explicit TFollower(IExtrasHost& Host, QObject* Parent = nullptr);

protected:
    // The set on show changed (also after a failed read); by default as a
    // frame change.
    virtual void PageChanged() { FrameChanged(); }
    // The frame on show changed, or was shown again.
    virtual void FrameChanged() = 0;
    // The main window closes; its windows close with it.
    virtual void MainClosing() {}

    bool eventFilter(QObject* Watched, QEvent* Event) override;

    IExtrasHost& host_;
    TShownSet& shown_;

private:
    QPointer<QWidget> main_;
};

}  // namespace app
