#pragma once
// The spin edit: a number edit with a companion placed 3 pixels to its right
// (an up button, a thin drag strip and a down button). Every gesture on the
// companion becomes a signed number of steps plus the pressed modifier keys,
// which the edit turns into a change of its value.

#include "components/jtNumberEdit.h"
#include "platform/Platform.h"

#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <functional>

class QFrame;
class QTimer;

// Steps reported by the companion: Value steps (positive upward) with the
// modifier keys.
using tjtSpinEditOnChange = std::function<void(QObject* Sender, int Value, platform::Modifiers Shift)>;

// A spin button: a push button that shows a small triangle.
class TjtSpinButton : public QPushButton {
public:
    enum class Direction { Up, Down };
    TjtSpinButton(Direction D, QWidget* Parent);
    Direction Pointing() const { return direction_; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    Direction direction_;
};

class TjtSpinButtons : public QWidget {
public:
    explicit TjtSpinButtons(QWidget* Parent = nullptr);
    ~TjtSpinButtons() override = default;

    TjtSpinButton* SpinUpButton = nullptr;
    TjtSpinButton* SpinDnButton = nullptr;
    QFrame* SpinSlider = nullptr;
    QTimer* RepeatTimer = nullptr;
    int RepeatDelay = 500;     // ms from a press to the first repeated step
    int RepeatInterval = 100;  // ms between further repeated steps
    int DragY = 0;             // the last vertical mouse position on the slider
    bool Dragging = false;
    int CursorIndex = 0;       // index of the slider cursor in the cursor table
    tjtSpinEditOnChange OnChange;

    // Reports Value steps with the current modifier keys.
    void StepBy(int Value);
    // Buttons at the top and bottom, the slider between them.
    void LayoutButtons();
    // Stores a copy of the slider cursor at the first free index of the
    // program's cursor table.
    void RegisterCursor();
    // One tick of the auto-repeat: the direction follows the focused button.
    void RepeatTimerTick();
    void StartRepeat();
    void StopRepeat();
    // Runs once the stored properties have been applied.
    void Loaded() { LayoutButtons(); }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    // The keys of the companion and its buttons; true when consumed.
    bool HandleKey(QObject* Source, QKeyEvent* Event);
    bool ButtonEvent(TjtSpinButton* Button, QEvent* Event);
    void SliderEvent(QEvent* Event);
};

class TjtSpinEdit : public TjtNumberEdit {
public:
    explicit TjtSpinEdit(QWidget* Parent = nullptr);
    ~TjtSpinEdit() override;

    // The companion; a sibling of the edit (same parent) that the edit owns.
    QPointer<TjtSpinButtons> Buttons;

    void SetReadOnly(bool V) override;
    // The edit's own visibility flag; the companion follows it.
    bool Visible() const;
    void SetVisible(bool V) { setVisible(V); }
    void setVisible(bool Visible) override;

    // Puts the companion beside the edit, under the edit's parent.
    void PlaceButtons();
    void Loaded() override;

protected:
    bool event(QEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
};
