#pragma once
// The launch's indices: a small window of its own listing the stability
// indices of the sounding on show, each with its unit, and its derived
// levels. It only shows; the window's additions tell it which sounding.

#include <QWidget>

#include <memory>
#include <string>

class IExtrasHost;
class QLabel;
class QTableWidget;
struct TSounding;

namespace app {

class TIndicesWindow : public QWidget {
public:
    // A window of its own; Parent (the main window) only places it.
    explicit TIndicesWindow(QWidget* Parent);

    QLabel* Caption = nullptr;      // the sounding's title, or "No sounding"
    QTableWidget* Table = nullptr;  // one row per value: name, value, unit

    // Lists the values of Sounding; null empties the list. A value the
    // sounding cannot give reads "none".
    void ShowSounding(const TSounding* Sounding);

    // The value text in the row named Name ("" when there is no such row).
    std::string ValueOf(const std::string& Name) const;

    // A place on the screen of Main: beside its right edge when there is
    // room, else over it, always on the screen.
    void PlaceBeside(const QWidget& Main);
};

// The indices window beside the main one: opened (or raised) on demand, it
// lists the indices of the frame on show while it is open.
class TIndicesLink {
public:
    explicit TIndicesLink(IExtrasHost& Host);
    ~TIndicesLink();

    void ShowWindow();
    // Null until first opened.
    TIndicesWindow* Window() const { return window_.get(); }

    // The frame or the page changed.
    void FrameChanged();

private:
    void ShowFrame();

    IExtrasHost& host_;
    std::unique_ptr<TIndicesWindow> window_;
};

}  // namespace app
