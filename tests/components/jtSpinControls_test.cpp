#include "components/jtSpinControls.h"

#include "platform/CursorTable.h"
#include "platform/Cursors.h"
#include "platform/Fakes.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

void SendWheel(QWidget* W, int DeltaY, Qt::KeyboardModifiers Mods = Qt::NoModifier)
{
    QWheelEvent e(QPointF(2, 2), W->mapToGlobal(QPointF(2, 2)), QPoint(), QPoint(0, DeltaY), Qt::NoButton, Mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(W, &e);
}

void SendMouse(QWidget* W, QEvent::Type Type, int Y, Qt::KeyboardModifiers Mods = Qt::NoModifier)
{
    const Qt::MouseButton button = Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(Type, QPointF(4, Y), W->mapToGlobal(QPointF(4, Y)), button, held, Mods);
    QApplication::sendEvent(W, &e);
}

// Records what reaches a widget (to see whether a key was passed on).
class KeySpy : public QObject {
public:
    std::vector<int> Keys;

protected:
    bool eventFilter(QObject*, QEvent* Event) override
    {
        if (Event->type() == QEvent::KeyPress) Keys.push_back(static_cast<QKeyEvent*>(Event)->key());
        return false;
    }
};

// ---------------------------------------------------------------- companion alone

class SpinButtons : public ::testing::Test {
protected:
    void SetUp() override
    {
        buttons = new TjtSpinButtons(&window);
        buttons->OnChange = [this](QObject* Sender, int Value, platform::Modifiers Shift) {
            EXPECT_EQ(Sender, buttons);
            steps.push_back(Value);
            shifts.push_back(Shift);
        };
    }

    platform::FakeSystem sys;
    platform::ScopedPlatform guard{nullptr, &sys, nullptr};
    QWidget window;
    TjtSpinButtons* buttons = nullptr;
    std::vector<int> steps;
    std::vector<platform::Modifiers> shifts;
};

TEST_F(SpinButtons, constructionBuildsNamedChildrenAndLaysThemOut)
{
    EXPECT_EQ(buttons->size(), QSize(13, 25));
    EXPECT_EQ(buttons->SpinUpButton->objectName(), "SpinUpButton");
    EXPECT_EQ(buttons->SpinDnButton->objectName(), "SpinDnButton");
    EXPECT_EQ(buttons->SpinSlider->objectName(), "SpinSlider");
    for (QWidget* child : {static_cast<QWidget*>(buttons->SpinUpButton), static_cast<QWidget*>(buttons->SpinDnButton),
                           static_cast<QWidget*>(buttons->SpinSlider)}) {
        EXPECT_EQ(child->parentWidget(), buttons);
        EXPECT_EQ(child->x(), 0);
        EXPECT_EQ(child->width(), 13);
    }
    EXPECT_EQ(buttons->SpinUpButton->geometry(), QRect(0, 0, 13, 11));
    EXPECT_EQ(buttons->SpinSlider->geometry(), QRect(0, 11, 13, 3));
    EXPECT_EQ(buttons->SpinDnButton->geometry(), QRect(0, 14, 13, 11));
    EXPECT_FALSE(buttons->RepeatTimer->isActive());
    EXPECT_EQ(buttons->RepeatDelay, 500);
    EXPECT_EQ(buttons->RepeatInterval, 100);
    EXPECT_FALSE(buttons->Dragging);
}

TEST_F(SpinButtons, layoutSplitsTheHeight)
{
    struct Case {
        int W, H;
        int Button, Slider;
    };
    const Case cases[] = {{13, 21, 9, 3}, {13, 25, 11, 3}, {20, 22, 9, 4}, {8, 3, 0, 3}, {13, 100, 48, 4}};
    for (const Case& c : cases) {
        buttons->resize(c.W, c.H);
        buttons->LayoutButtons();
        EXPECT_EQ(buttons->SpinUpButton->geometry(), QRect(0, 0, c.W, c.Button)) << c.H;
        EXPECT_EQ(buttons->SpinSlider->geometry(), QRect(0, c.Button, c.W, c.Slider)) << c.H;
        EXPECT_EQ(buttons->SpinDnButton->geometry(), QRect(0, c.Button + c.Slider, c.W, c.Button)) << c.H;
    }
}

TEST_F(SpinButtons, stepByReadsTheKeyboardOnlyWhenSomebodyListens)
{
    sys.Keys = {true, false, true};
    buttons->StepBy(3);
    ASSERT_EQ(steps, std::vector<int>({3}));
    EXPECT_EQ(shifts[0], (platform::Modifiers{true, false, true}));
    buttons->OnChange = nullptr;
    buttons->StepBy(1);  // nothing to call, nothing happens
    EXPECT_EQ(steps.size(), 1u);
}

TEST_F(SpinButtons, clicksStepUpAndDown)
{
    window.show();
    QTest::mouseClick(buttons->SpinUpButton, Qt::LeftButton);
    QTest::mouseClick(buttons->SpinUpButton, Qt::LeftButton);
    QTest::mouseClick(buttons->SpinDnButton, Qt::LeftButton);
    EXPECT_EQ(steps, std::vector<int>({1, 1, -1}));
    EXPECT_FALSE(buttons->RepeatTimer->isActive());
}

TEST_F(SpinButtons, pressStartsTheRepeatAndReleaseStopsIt)
{
    window.show();
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) {
        QTest::mousePress(buttons->SpinDnButton, b);
        EXPECT_TRUE(buttons->RepeatTimer->isActive());
        EXPECT_EQ(buttons->RepeatTimer->interval(), 500);
        QTest::mouseRelease(buttons->SpinDnButton, b);
        EXPECT_FALSE(buttons->RepeatTimer->isActive());
    }
    EXPECT_EQ(steps, std::vector<int>({-1})) << "only the left button clicks";
}

TEST_F(SpinButtons, repeatDirectionFollowsTheFocus)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    buttons->StartRepeat();
    buttons->SpinUpButton->setFocus();
    buttons->RepeatTimerTick();
    EXPECT_EQ(buttons->RepeatTimer->interval(), 100);
    buttons->SpinDnButton->setFocus();
    buttons->RepeatTimerTick();
    buttons->setFocus();
    buttons->RepeatTimerTick();
    EXPECT_EQ(steps, std::vector<int>({1, -1, -1}));
}

TEST_F(SpinButtons, failingStepStopsTheRepeat)
{
    buttons->OnChange = [](QObject*, int, platform::Modifiers) { throw std::runtime_error("step failed"); };
    buttons->StartRepeat();
    EXPECT_THROW(buttons->RepeatTimerTick(), std::runtime_error);
    EXPECT_FALSE(buttons->RepeatTimer->isActive());
}

TEST_F(SpinButtons, draggingTheSliderStepsOnePerPixel)
{
    window.show();
    QFrame* slider = buttons->SpinSlider;
    SendMouse(slider, QEvent::MouseMove, 0);  // not dragging yet
    EXPECT_TRUE(steps.empty());
    SendMouse(slider, QEvent::MouseButtonPress, 20);
    EXPECT_TRUE(buttons->Dragging);
    EXPECT_EQ(buttons->DragY, 20);
    SendMouse(slider, QEvent::MouseMove, 14);
    SendMouse(slider, QEvent::MouseMove, 10, Qt::ShiftModifier);
    SendMouse(slider, QEvent::MouseMove, 25);
    SendMouse(slider, QEvent::MouseButtonRelease, 25);
    EXPECT_FALSE(buttons->Dragging);
    SendMouse(slider, QEvent::MouseMove, 0);
    EXPECT_EQ(steps, std::vector<int>({6, 4, -15}));
    ASSERT_EQ(shifts.size(), 3u);
    EXPECT_EQ(shifts[1], (platform::Modifiers{true, false, false})) << "the mouse message's modifiers";
    EXPECT_EQ(shifts[2], platform::Modifiers{});
}

TEST_F(SpinButtons, sliderPressFocusesTheCompanion)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    buttons->SpinUpButton->setFocus();
    SendMouse(buttons->SpinSlider, QEvent::MouseButtonPress, 1);
    EXPECT_TRUE(buttons->hasFocus());
    SendMouse(buttons->SpinSlider, QEvent::MouseButtonRelease, 1);
}

TEST_F(SpinButtons, arrowKeysStepAndMoveTheFocus)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    struct Case {
        QWidget* Target;
        Qt::Key Key;
        int Step;
        QWidget* Focus;
    };
    const Case cases[] = {
        {buttons, Qt::Key_Up, 1, buttons->SpinUpButton},
        {buttons->SpinUpButton, Qt::Key_Down, -1, buttons->SpinDnButton},
        {buttons->SpinDnButton, Qt::Key_Right, 1, buttons->SpinUpButton},
        {buttons->SpinUpButton, Qt::Key_Left, -1, buttons->SpinDnButton},
    };
    for (const Case& c : cases) {
        steps.clear();
        c.Target->setFocus();
        QTest::keyClick(c.Target, c.Key);
        EXPECT_EQ(steps, std::vector<int>({c.Step})) << c.Key;
        EXPECT_TRUE(c.Focus->hasFocus()) << c.Key;
    }
}

TEST_F(SpinButtons, spaceOnAButtonRepeatsAndClicksOnRelease)
{
    window.show();
    KeySpy spy;
    window.installEventFilter(&spy);
    QTest::keyPress(buttons->SpinDnButton, Qt::Key_Space);
    EXPECT_TRUE(buttons->RepeatTimer->isActive());
    EXPECT_EQ(buttons->RepeatTimer->interval(), 500);
    EXPECT_TRUE(buttons->SpinDnButton->isDown()) << "shown pressed";
    buttons->RepeatTimerTick();
    // A held key repeats its press: the running repeat is not restarted.
    QTest::keyPress(buttons->SpinDnButton, Qt::Key_Space, Qt::NoModifier);
    EXPECT_EQ(buttons->RepeatTimer->interval(), 100);
    QTest::keyRelease(buttons->SpinDnButton, Qt::Key_Space);
    EXPECT_FALSE(buttons->RepeatTimer->isActive());
    EXPECT_FALSE(buttons->SpinDnButton->isDown());
    EXPECT_EQ(steps, std::vector<int>({-1, -1})) << "one repeated step, then the click's";
    EXPECT_TRUE(spy.Keys.empty());
}

TEST_F(SpinButtons, spaceOnTheCompanionItselfIsPassedOn)
{
    window.show();
    KeySpy spy;
    window.installEventFilter(&spy);
    QTest::keyClick(buttons, Qt::Key_Space);
    EXPECT_FALSE(buttons->RepeatTimer->isActive());
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(spy.Keys, std::vector<int>({Qt::Key_Space}));
}

TEST_F(SpinButtons, altIsConsumedOtherKeysGoToTheParent)
{
    window.show();
    KeySpy spy;
    window.installEventFilter(&spy);
    QTest::keyClick(buttons, Qt::Key_Alt);
    QTest::keyClick(buttons->SpinUpButton, Qt::Key_Alt);
    EXPECT_TRUE(spy.Keys.empty());
    QTest::keyClick(buttons, Qt::Key_X);
    QTest::keyClick(buttons->SpinUpButton, Qt::Key_5);
    EXPECT_EQ(spy.Keys, std::vector<int>({Qt::Key_X, Qt::Key_5}));
    EXPECT_TRUE(steps.empty());
}

TEST_F(SpinButtons, wheelStepsWithTheKeyboardModifiers)
{
    sys.Keys = {false, true, false};
    SendWheel(buttons, 240);
    SendWheel(buttons, 60);  // reported even though it is no step
    SendWheel(buttons->SpinUpButton, -120);  // a button passes the wheel on
    SendWheel(buttons->SpinSlider, -360);
    EXPECT_EQ(steps, std::vector<int>({2, 0, -1, -3}));
    for (const platform::Modifiers& m : shifts) EXPECT_EQ(m, (platform::Modifiers{false, true, false}));
}

TEST_F(SpinButtons, eachCompanionRegistersItsOwnCursor)
{
    platform::FreeEveryCursorIndex();
    platform::SetCursorAt(1, QCursor(Qt::IBeamCursor));  // taken by somebody else
    TjtSpinButtons a(&window), b(&window);
    EXPECT_EQ(a.CursorIndex, 2);
    EXPECT_EQ(b.CursorIndex, 3);
    EXPECT_EQ(platform::CursorAt(2).shape(), Qt::BitmapCursor);
    EXPECT_EQ(a.SpinSlider->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(a.SpinSlider->cursor().hotSpot(), QPoint(14, 11));
}

TEST_F(SpinButtons, fullCursorTableLeavesTheDefaultCursor)
{
    platform::FreeEveryCursorIndex();
    for (int i = 1; i <= platform::MaxCursorIndex; ++i) platform::SetCursorAt(i, QCursor(Qt::IBeamCursor));
    TjtSpinButtons full(&window);
    EXPECT_EQ(full.CursorIndex, 0);
    EXPECT_EQ(full.SpinSlider->cursor().shape(), Qt::ArrowCursor);
    platform::FreeEveryCursorIndex();
}

// ---------------------------------------------------------------- spin edit

class SpinEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(900, 200);
        edit = new TjtSpinEdit(&window);
        edit->setObjectName("jtSpinEdit1");
        edit->OnChange = [this](QObject*) { changes.push_back(edit->text().toStdString()); };
    }
    // The main window's instance.
    void SetUpLikeTheMainWindow()
    {
        edit->SetLoading(true);
        edit->setGeometry(768, 40, 33, 21);
        edit->SetValueMin(1);
        edit->SetValueMax(1000);
        edit->SetValueDefault(1);
        edit->SetValue(1);
        edit->SetLimitValue(true);
        edit->setText("1");
        edit->Loaded();
    }
    std::string Text() const { return edit->text().toStdString(); }

    platform::FakeSystem sys;
    platform::ScopedPlatform guard{nullptr, &sys, nullptr};
    QWidget window;
    TjtSpinEdit* edit = nullptr;
    Strings changes;
};

TEST_F(SpinEdit, companionIsANamedSiblingWithTheNumberEditDefaults)
{
    ASSERT_TRUE(edit->Buttons);
    EXPECT_EQ(edit->Buttons->objectName(), "jtSpinButtons");
    EXPECT_EQ(edit->Buttons->parentWidget(), &window);
    EXPECT_EQ(edit->Width(), 65);
    EXPECT_EQ(edit->Buttons->x(), edit->x() + 65 + 3);
    EXPECT_TRUE(edit->Visible());
    EXPECT_FALSE(edit->ReadOnly());
}

TEST_F(SpinEdit, mainWindowInstanceGeometry)
{
    SetUpLikeTheMainWindow();
    EXPECT_EQ(Text(), "1");
    TjtSpinButtons* b = edit->Buttons;
    EXPECT_EQ(b->geometry(), QRect(804, 40, 13, 21));
    EXPECT_EQ(b->SpinUpButton->geometry(), QRect(0, 0, 13, 9));
    EXPECT_EQ(b->SpinSlider->geometry(), QRect(0, 9, 13, 3));
    EXPECT_EQ(b->SpinDnButton->geometry(), QRect(0, 12, 13, 9));
    window.show();
    EXPECT_TRUE(b->isVisible());
    EXPECT_EQ(b->geometry(), QRect(804, 40, 13, 21));
}

TEST_F(SpinEdit, companionFollowsMovesResizesAndParents)
{
    window.show();
    edit->show();
    edit->setGeometry(10, 20, 50, 30);
    EXPECT_EQ(edit->Buttons->geometry(), QRect(63, 20, 13, 30));
    edit->move(100, 5);
    EXPECT_EQ(edit->Buttons->geometry(), QRect(153, 5, 13, 30));
    edit->resize(40, 25);
    EXPECT_EQ(edit->Buttons->geometry(), QRect(143, 5, 13, 25));
    EXPECT_EQ(edit->Buttons->SpinDnButton->geometry(), QRect(0, 14, 13, 11));

    QWidget other(&window);
    other.show();
    edit->setParent(&other);
    EXPECT_EQ(edit->Buttons->parentWidget(), &other);
    edit->show();
    EXPECT_TRUE(edit->Buttons->isVisible());
    EXPECT_EQ(edit->Buttons->geometry(), QRect(143, 5, 13, 25));
    edit->setParent(&window);  // before `other` goes
    EXPECT_EQ(edit->Buttons->parentWidget(), &window);
}

TEST_F(SpinEdit, clicksStepTheValueWithTheModifiers)
{
    struct Case {
        platform::Modifiers Keys;
        const char* Expected;
    };
    const Case cases[] = {
        {{false, false, false}, "6"}, {{true, false, false}, "15"}, {{false, false, true}, "105"},
        {{false, true, false}, "5.1"}, {{true, true, true}, "5.0001"},
    };
    window.show();
    edit->show();
    for (const Case& c : cases) {
        edit->setText("5");
        sys.Keys = c.Keys;
        QTest::mouseClick(edit->Buttons->SpinUpButton, Qt::LeftButton);
        EXPECT_EQ(Text(), c.Expected);
    }
    sys.Keys = {};
    edit->setText("5");
    QTest::mouseClick(edit->Buttons->SpinDnButton, Qt::LeftButton);
    EXPECT_EQ(Text(), "4");
}

TEST_F(SpinEdit, dragTenPixelsUpAndBackDown)
{
    window.show();
    edit->show();
    edit->setText("100");
    QFrame* slider = edit->Buttons->SpinSlider;
    SendMouse(slider, QEvent::MouseButtonPress, 12);
    for (int y = 11; y >= 2; --y) SendMouse(slider, QEvent::MouseMove, y);
    EXPECT_EQ(Text(), "110");
    SendMouse(slider, QEvent::MouseMove, 12);
    SendMouse(slider, QEvent::MouseButtonRelease, 12);
    EXPECT_EQ(Text(), "100");
}

TEST_F(SpinEdit, stepBeyondTheMaximumIsClampedAtOnce)
{
    SetUpLikeTheMainWindow();
    window.show();
    edit->setText("1000");
    changes.clear();
    QTest::mouseClick(edit->Buttons->SpinUpButton, Qt::LeftButton);
    EXPECT_EQ(changes, Strings({"1001", "1000"}));
    EXPECT_EQ(Text(), "1000");
}

TEST_F(SpinEdit, holdingTheDownButtonRepeats)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (int k : {0, 1, 4}) {
        edit->setText("100");
        TjtSpinButtons* b = edit->Buttons;
        QTest::mousePress(b->SpinDnButton, Qt::LeftButton);
        ASSERT_TRUE(b->SpinDnButton->hasFocus());
        ASSERT_EQ(b->RepeatTimer->interval(), 500);
        // The timer fires after 500 ms and then every 100 ms: k + 1 ticks.
        for (int tick = 0; tick <= k; ++tick) {
            b->RepeatTimerTick();
            EXPECT_EQ(b->RepeatTimer->interval(), 100);
        }
        EXPECT_EQ(edit->AsInt(), 100 - (k + 1));
        QTest::mouseRelease(b->SpinDnButton, Qt::LeftButton);
        EXPECT_FALSE(b->RepeatTimer->isActive());
        EXPECT_EQ(edit->AsInt(), 100 - (k + 2)) << "and the click's step on release";
    }
}

TEST_F(SpinEdit, repeatTimerTimeoutRunsTheTick)
{
    TjtSpinButtons* b = edit->Buttons;
    edit->setText("0");
    b->StartRepeat();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(QMetaObject::invokeMethod(b->RepeatTimer, "timeout"));
    EXPECT_EQ(edit->AsInt(), -3);
    EXPECT_EQ(b->RepeatTimer->interval(), 100);
    b->StopRepeat();
}

TEST_F(SpinEdit, wheelOnTheCompanion)
{
    window.show();
    edit->show();
    edit->setText("7");
    SendWheel(edit->Buttons, 60);
    EXPECT_EQ(Text(), "7");
    SendWheel(edit->Buttons, -240);
    EXPECT_EQ(Text(), "5");
    sys.Keys = {true, false, false};
    SendWheel(edit->Buttons->SpinDnButton, 120);
    EXPECT_EQ(Text(), "15");
}

TEST_F(SpinEdit, readOnlyGreysTheCompanion)
{
    window.show();
    edit->show();
    edit->setText("5");
    edit->SetReadOnly(true);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->BackgroundColor(), clBtnFace);
    EXPECT_FALSE(edit->Buttons->isEnabled());
    EXPECT_FALSE(edit->Buttons->SpinUpButton->isEnabled());
    QTest::mouseClick(edit->Buttons->SpinUpButton, Qt::LeftButton);
    SendWheel(edit->Buttons, 120);
    EXPECT_EQ(Text(), "5");
    edit->SetReadOnly(false);
    EXPECT_TRUE(edit->Buttons->SpinUpButton->isEnabled());
    EXPECT_EQ(edit->BackgroundColor(), clWindow);
}

// No gesture reaches the value of a read-only edit: no repeat while a button
// is held, no drag along the strip, no wheel over a button.
TEST_F(SpinEdit, readOnlyCompanionTakesNoInput)
{
    window.show();
    edit->show();
    edit->setText("100");
    edit->SetReadOnly(true);
    changes.clear();
    TjtSpinButtons* b = edit->Buttons;
    QTest::mousePress(b->SpinDnButton, Qt::LeftButton);
    EXPECT_FALSE(b->RepeatTimer->isActive());
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(QMetaObject::invokeMethod(b->RepeatTimer, "timeout"));
    QTest::mouseRelease(b->SpinDnButton, Qt::LeftButton);
    EXPECT_EQ(Text(), "100") << "held button";
    SendMouse(b->SpinSlider, QEvent::MouseButtonPress, 12);
    for (int y = 11; y >= 2; --y) SendMouse(b->SpinSlider, QEvent::MouseMove, y);
    SendMouse(b->SpinSlider, QEvent::MouseButtonRelease, 2);
    EXPECT_EQ(Text(), "100") << "drag";
    SendWheel(b->SpinUpButton, 120);
    SendWheel(b->SpinSlider, 120);
    EXPECT_EQ(Text(), "100") << "wheel";
    EXPECT_TRUE(changes.empty());
}

TEST_F(SpinEdit, buttonsDrawTheirTriangleGreyedWhenDisabled)
{
    SetUpLikeTheMainWindow();
    window.show();
    struct Case {
        TjtSpinButton* Button;
        QPoint Inside, Outside;  // a pixel of the triangle's wide end and one beyond its tip
    };
    TjtSpinButtons* b = edit->Buttons;
    // 13 x 9 buttons: a triangle 7 wide and 4 high in the middle.
    const Case cases[] = {{b->SpinUpButton, QPoint(6, 5), QPoint(6, 1)},
                          {b->SpinDnButton, QPoint(6, 2), QPoint(6, 6)}};
    for (bool readOnly : {false, true}) {
        edit->SetReadOnly(readOnly);
        for (const Case& c : cases) {
            const QImage image = c.Button->grab().toImage();
            const QColor glyph = c.Button->palette().color(readOnly ? QPalette::Disabled : QPalette::Active,
                                                            QPalette::ButtonText);
            EXPECT_EQ(image.pixelColor(c.Inside), glyph) << c.Button->objectName().toStdString() << readOnly;
            EXPECT_NE(image.pixelColor(c.Outside), glyph) << c.Button->objectName().toStdString() << readOnly;
        }
    }
}

TEST_F(SpinEdit, hidingTheEditHidesTheCompanion)
{
    window.show();
    edit->show();
    ASSERT_TRUE(edit->Buttons->isVisible());
    edit->hide();
    EXPECT_FALSE(edit->Visible());
    EXPECT_FALSE(edit->Buttons->isVisible());
    edit->SetVisible(true);
    EXPECT_TRUE(edit->Buttons->isVisible());
    edit->SetVisible(false);
    EXPECT_TRUE(edit->Buttons->isHidden());

    // Hidden before the window shows: both stay hidden.
    QWidget second;
    auto* e2 = new TjtSpinEdit(&second);
    e2->SetVisible(false);
    second.show();
    EXPECT_FALSE(e2->Buttons->isVisible());
}

TEST_F(SpinEdit, companionGoesWithTheEdit)
{
    QPointer<TjtSpinButtons> companion = edit->Buttons;
    delete edit;
    edit = nullptr;
    EXPECT_TRUE(companion.isNull());

    // And the window may destroy both in any order.
    auto* w = new QWidget;
    auto* e = new TjtSpinEdit(w);
    QPointer<TjtSpinButtons> c2 = e->Buttons;
    e->raise();  // now the companion comes before the edit among the children
    ASSERT_LT(w->children().indexOf(c2.data()), w->children().indexOf(e));
    delete w;
    EXPECT_TRUE(c2.isNull());
}

TEST_F(SpinEdit, editWithoutParentKeepsItsCompanionOffScreen)
{
    TjtSpinEdit lone;
    EXPECT_EQ(lone.Buttons->parentWidget(), nullptr);
    lone.setVisible(true);
    EXPECT_FALSE(lone.Buttons->isVisible()) << "no window of its own";
    lone.hide();
}

}  // namespace
