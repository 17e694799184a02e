#include "components/jtSpinControls.h"

#include "platform/Cursors.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

// ---------------------------------------------------------------- TjtSpinButton

TjtSpinButton::TjtSpinButton(Direction D, QWidget* Parent) : QPushButton(Parent), direction_(D)
{
    setObjectName(D == Direction::Up ? "SpinUpButton" : "SpinDnButton");
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
}

void TjtSpinButton::paintEvent(QPaintEvent* Event)
{
    QPushButton::paintEvent(Event);
    // A small filled triangle in the middle; greyed when disabled.
    const int w = std::max(3, std::min(7, width() - 4) | 1);
    const int h = (w + 1) / 2;
    const int left = (width() - w) / 2;
    const int top = (height() - h) / 2 + (isDown() ? 1 : 0);
    QPolygon triangle;
    if (direction_ == Direction::Up)
        triangle << QPoint(left, top + h - 1) << QPoint(left + w - 1, top + h - 1) << QPoint(left + w / 2, top);
    else
        triangle << QPoint(left, top) << QPoint(left + w - 1, top) << QPoint(left + w / 2, top + h - 1);
    QPainter p(this);
    const QColor c = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    p.setPen(c);
    p.setBrush(c);
    p.drawPolygon(triangle);
}

// ---------------------------------------------------------------- TjtSpinButtons

TjtSpinButtons::TjtSpinButtons(QWidget* Parent) : QWidget(Parent)
{
    resize(13, 25);
    setFocusPolicy(Qt::ClickFocus);

    SpinUpButton = new TjtSpinButton(TjtSpinButton::Direction::Up, this);
    SpinDnButton = new TjtSpinButton(TjtSpinButton::Direction::Down, this);
    SpinSlider = new QFrame(this);
    SpinSlider->setObjectName("SpinSlider");
    SpinSlider->setFrameStyle(QFrame::Panel | QFrame::Raised);
    RepeatTimer = new QTimer(this);
    RepeatTimer->setObjectName("RepeatTimer");

    for (QWidget* child : {static_cast<QWidget*>(SpinUpButton), static_cast<QWidget*>(SpinDnButton),
                           static_cast<QWidget*>(SpinSlider)}) {
        child->move(0, child->y());
        child->installEventFilter(this);
    }
    connect(SpinUpButton, &QAbstractButton::clicked, this, [this] { StepBy(+1); });
    connect(SpinDnButton, &QAbstractButton::clicked, this, [this] { StepBy(-1); });
    connect(RepeatTimer, &QTimer::timeout, this, [this] { RepeatTimerTick(); });

    RegisterCursor();
    SpinSlider->setCursor(platform::CursorAt(CursorIndex));
    LayoutButtons();
}

void TjtSpinButtons::StepBy(int Value)
{
    // A read-only or disabled companion changes nothing, whatever the gesture.
    if (!isEnabled()) return;
    if (OnChange) OnChange(this, Value, platform::system().KeyboardModifiers());
}

void TjtSpinButtons::LayoutButtons()
{
    const int w = width();
    const int h = height();
    const int b = (h - 3) / 2;  // button height, truncated toward zero
    SpinUpButton->setGeometry(0, 0, w, b);
    SpinSlider->setGeometry(0, b, w, h - 2 * b);
    SpinDnButton->setGeometry(0, SpinSlider->y() + SpinSlider->height(), w, b);
}

void TjtSpinButtons::RegisterCursor()
{
    if (CursorIndex != 0) return;
    for (int i = 1; i <= platform::MaxCursorIndex; ++i)
        if (platform::IsDefaultCursorAt(i)) {
            CursorIndex = i;
            break;
        }
    if (CursorIndex != 0) platform::SetCursorAt(CursorIndex, platform::LoadCursorResource("IDC_VSliderCursor"));
}

void TjtSpinButtons::StartRepeat()
{
    RepeatTimer->setInterval(RepeatDelay);
    RepeatTimer->start();
}

void TjtSpinButtons::StopRepeat() { RepeatTimer->stop(); }

void TjtSpinButtons::RepeatTimerTick()
{
    if (!isEnabled()) {
        RepeatTimer->stop();
        return;
    }
    RepeatTimer->setInterval(RepeatInterval);
    try {
        StepBy(SpinUpButton->hasFocus() ? +1 : -1);
    } catch (...) {
        // A failing step must not keep repeating behind the error.
        RepeatTimer->stop();
        throw;
    }
}

bool TjtSpinButtons::HandleKey(QObject* Source, QKeyEvent* Event)
{
    switch (Event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        StepBy(+1);
        SpinUpButton->setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Down:
    case Qt::Key_Left:
        StepBy(-1);
        SpinDnButton->setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Space:
        if (Source == this) return false;
        if (!RepeatTimer->isActive()) StartRepeat();
        // Shown pressed; releasing Space then clicks the button.
        if (auto* button = qobject_cast<QAbstractButton*>(Source)) button->setDown(true);
        return true;
    case Qt::Key_Alt: return true;
    default: return false;
    }
}

bool TjtSpinButtons::ButtonEvent(TjtSpinButton* Button, QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: StartRepeat(); return false;
    case QEvent::MouseButtonRelease: StopRepeat(); return false;
    case QEvent::KeyPress: return HandleKey(Button, static_cast<QKeyEvent*>(Event));
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(Event);
        if (key->key() == Qt::Key_Space && !key->isAutoRepeat()) StopRepeat();
        return false;
    }
    default: return false;
    }
}

void TjtSpinButtons::SliderEvent(QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(Event);
        DragY = mouse->position().toPoint().y();
        Dragging = true;
        setFocus(Qt::MouseFocusReason);
        break;
    }
    case QEvent::MouseMove: {
        if (!Dragging) break;
        const auto* mouse = static_cast<QMouseEvent*>(Event);
        const int y = mouse->position().toPoint().y();
        const Qt::KeyboardModifiers m = mouse->modifiers();
        // One step per pixel, upward positive.
        if (OnChange && isEnabled())
            OnChange(this, DragY - y,
                     platform::Modifiers{m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::AltModifier),
                                         m.testFlag(Qt::ControlModifier)});
        DragY = y;
        break;
    }
    case QEvent::MouseButtonRelease: Dragging = false; break;
    default: break;
    }
}

bool TjtSpinButtons::eventFilter(QObject* Watched, QEvent* Event)
{
    // A read-only or disabled companion takes no input at all: no press
    // starts a repeat or a drag, no wheel steps.
    if (!isEnabled()) {
        switch (Event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            StopRepeat();
            Dragging = false;
            return true;
        default: break;
        }
    }
    // The children leave the wheel to the companion.
    if (Event->type() == QEvent::Wheel &&
        (Watched == SpinUpButton || Watched == SpinDnButton || Watched == SpinSlider)) {
        wheelEvent(static_cast<QWheelEvent*>(Event));
        return true;
    }
    if (Watched == SpinUpButton || Watched == SpinDnButton)
        return ButtonEvent(static_cast<TjtSpinButton*>(Watched), Event);
    if (Watched == SpinSlider) SliderEvent(Event);
    return QWidget::eventFilter(Watched, Event);
}

void TjtSpinButtons::keyPressEvent(QKeyEvent* Event)
{
    if (HandleKey(this, Event))
        Event->accept();
    else
        QWidget::keyPressEvent(Event);
}

void TjtSpinButtons::wheelEvent(QWheelEvent* Event)
{
    StepBy(TjtNumberEdit::WheelDelta(Event) / 120);  // truncated toward zero
    Event->accept();
}

void TjtSpinButtons::resizeEvent(QResizeEvent* Event)
{
    LayoutButtons();
    QWidget::resizeEvent(Event);
}

// ---------------------------------------------------------------- TjtSpinEdit

TjtSpinEdit::TjtSpinEdit(QWidget* Parent) : TjtNumberEdit(Parent)
{
    Buttons = new TjtSpinButtons(parentWidget());
    Buttons->setObjectName("jtSpinButtons");
    Buttons->OnChange = [this](QObject*, int Value, platform::Modifiers Shift) { StepValue(Value, Shift); };
    PlaceButtons();
}

TjtSpinEdit::~TjtSpinEdit()
{
    // The companion lives under the edit's parent, but belongs to the edit.
    delete Buttons.data();
}

void TjtSpinEdit::SetReadOnly(bool V)
{
    TjtNumberEdit::SetReadOnly(V);
    if (Buttons) Buttons->setEnabled(!V);
}

bool TjtSpinEdit::Visible() const
{
    // A child not yet shown is hidden only until its parent shows; it counts
    // as visible unless it was hidden on purpose.
    if (isWindow()) return isVisible();
    return !(isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide));
}

void TjtSpinEdit::setVisible(bool Visible)
{
    TjtNumberEdit::setVisible(Visible);
    // Without a parent the companion would show as a window of its own.
    if (Buttons && (!Visible || Buttons->parentWidget())) Buttons->setVisible(Visible);
}

void TjtSpinEdit::PlaceButtons()
{
    if (!Buttons) return;
    QWidget* parent = parentWidget();
    if (Buttons->parentWidget() != parent) {
        Buttons->setParent(parent);  // this hides it: show it again as the edit is
        if (parent) Buttons->setVisible(Visible());
    }
    Buttons->setGeometry(x() + width() + 3, y(), Buttons->width(), height());
    Buttons->LayoutButtons();
}

void TjtSpinEdit::Loaded()
{
    TjtNumberEdit::Loaded();
    PlaceButtons();
}

bool TjtSpinEdit::event(QEvent* Event)
{
    const bool handled = TjtNumberEdit::event(Event);
    if (Event->type() == QEvent::ParentChange) PlaceButtons();
    return handled;
}

void TjtSpinEdit::moveEvent(QMoveEvent* Event)
{
    TjtNumberEdit::moveEvent(Event);
    PlaceButtons();
}

void TjtSpinEdit::resizeEvent(QResizeEvent* Event)
{
    TjtNumberEdit::resizeEvent(Event);
    PlaceButtons();
}
