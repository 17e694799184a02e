#pragma once
// The small controls of the main window that the toolkit does not offer in
// the form the window needs: a colour panel, a track bar that refuses a
// maximum below its minimum, a status bar with one simple text, the colour
// dialog component, and anchoring of controls to the window's edges.

#include "components/jtComponent.h"

#include <QFrame>
#include <QLabel>
#include <QSlider>

#include <string>
#include <vector>

// A plain panel showing a colour; a click raises OnClick.
class TColorPanel : public QFrame {
public:
    explicit TColorPanel(QWidget* Parent);
    TColor Color() const { return color_; }
    void SetColor(TColor C);
    TNotifyEvent OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;

private:
    TColor color_ = clRed;
};

// Horizontal track bar: position clamped into Min..Max, the change event
// (valueChanged) raised synchronously only when the position really changes.
class TTrackBar : public QSlider {
public:
    explicit TTrackBar(QWidget* Parent);
    int Min() const { return minimum(); }
    int Max() const { return maximum(); }
    // A maximum below the minimum is refused without an error.
    void SetMax(int V);
    int Position() const { return value(); }
    void SetPosition(int V) { setValue(V); }
    int Frequency() const { return tickInterval(); }
    void SetFrequency(int V) { setTickInterval(V); }
};

// A status bar with one simple text, at the window's bottom edge.
class TStatusBar : public QFrame {
public:
    explicit TStatusBar(QWidget* Parent);
    std::string SimpleText() const;
    void SetSimpleText(const std::string& Text);

private:
    QLabel* label_;
};

// The colour chooser component; the dialog itself goes through the platform
// layer.
class TColorDialog : public TComponent {
public:
    explicit TColorDialog(QObject* Owner) : TComponent(Owner) {}
    TColor Color() const { return color_; }
    void SetColor(TColor C) { color_ = C; }
    bool Ctl3D() const { return ctl3d_; }
    void SetCtl3D(bool V) { ctl3d_ = V; }
    // True when the user confirmed a colour, which then is Color().
    bool Execute();

private:
    TColor color_ = clBlack;
    bool ctl3d_ = true;
};

// The frame as it is when it lies within the available area of a screen;
// otherwise moved, as little as it takes, to lie there.
QRect FitOnScreen(QRect Frame, QRect Available);

// Anchors: the window edges a control keeps its distance to.
enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

// Remembers each control's designed place and moves it when the window's
// client area changes size.
class TAnchorLayout {
public:
    void SetDesignSize(QSize S) { design_ = S; }
    QSize DesignSize() const { return design_; }
    void Add(QWidget* Control, QRect Designed, TAnchors Anchors);
    TAnchors AnchorsOf(const QWidget* Control) const;
    // Lays the controls out for a client area of this size.
    void Apply(QSize Client) const;
    // Scales the designed geometry (and the design size) by a factor.
    void Scale(double Factor);

private:
    struct Item {
        QWidget* Control;
        QRect Designed;
        TAnchors Anchors;
    };
    QSize design_;
    std::vector<Item> items_;
};
