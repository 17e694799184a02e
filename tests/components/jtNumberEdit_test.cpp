#include "components/jtNumberEdit.h"

#include "platform/Fakes.h"

#include <QApplication>
#include <QPalette>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

constexpr TColor clGreen = 0x0000FF00;

// A number edit on a (hidden) window, with the platform's beep and keyboard
// replaced and every OnChange recorded with the text it saw.
class NumberEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit = new TjtNumberEdit(&window);
        edit->setObjectName("jtNumberEdit1");
        edit->OnChange = [this](QObject* Sender) {
            EXPECT_EQ(Sender, edit);
            changes.push_back(edit->text().toStdString());
        };
    }

    void Range(double Min, double Max, bool Limit)
    {
        edit->SetValueMin(Min);
        edit->SetValueMax(Max);
        edit->SetLimitValue(Limit);
    }
    std::string Text() const { return edit->text().toStdString(); }
    void SetText(const char* T) { edit->setText(QString::fromLatin1(T)); }
    void Wheel(int DeltaY, Qt::KeyboardModifiers Mods = Qt::NoModifier, int DeltaX = 0)
    {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(DeltaX, DeltaY), Qt::NoButton, Mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(edit, &e);
    }

    platform::FakeSystem sys;
    platform::ScopedPlatform guard{nullptr, &sys, nullptr};
    QWidget window;
    TjtNumberEdit* edit = nullptr;
    Strings changes;
};

// ---------------------------------------------------------------- construction

TEST_F(NumberEdit, constructionSetsTheDefaults)
{
    EXPECT_EQ(edit->Width(), 65);
    EXPECT_EQ(edit->ValueMin(), 0);
    EXPECT_EQ(edit->ValueMax(), 0);
    EXPECT_EQ(edit->ValueDefault(), 0);
    EXPECT_EQ(edit->Precision(), 8);
    EXPECT_EQ(edit->ColorWhenReadOnly(), clBtnFace);
    EXPECT_EQ(edit->ColorWhenReadWrite(), clWindow);
    EXPECT_EQ(edit->ColorOfErrors(), 255u);
    EXPECT_EQ(edit->ColorOfFont(), clWindowText);
    EXPECT_FALSE(edit->ReadOnly());
    EXPECT_FALSE(edit->LimitValue());
    EXPECT_FALSE(edit->DisableMouseWheel());
    EXPECT_EQ(edit->FontColor(), clWindowText);
    EXPECT_EQ(edit->BackgroundColor(), clWindow);
}

// ---------------------------------------------------------------- key filter

class KeyFilter : public NumberEdit, public ::testing::WithParamInterface<char> {
protected:
    // Whether Key is accepted on Text with the selection (or, with
    // SelLength 0, the caret) at SelStart.
    bool Accepts(const std::string& Text, int SelStart, int SelLength, char Key)
    {
        edit->setText(QString::fromLatin1(Text.data(), qsizetype(Text.size())));
        if (SelLength > 0)
            edit->setSelection(SelStart, SelLength);
        else
            edit->setCursorPosition(SelStart);
        return edit->IsValidKey(Key);
    }
};

TEST_P(KeyFilter, signsExponentsAndSeparators)
{
    const char sep = GetParam();
    const char other = sep == '.' ? ',' : '.';
    sys.Separator = sep;
    auto t = [sep](std::string s) {
        for (char& c : s)
            if (c == '.') c = sep;
        return s;
    };
    struct Row {
        std::string Text;
        int SelStart, SelLength;
        char Key;
        bool Accepted;
        const char* Why;
    };
    const std::vector<Row> rows = {
        // the character set
        {"", 0, 0, '5', true, "digit"},
        {"", 0, 0, '-', true, "sign on empty text"},
        {"", 0, 0, '+', true, "plus on empty text"},
        {"", 0, 0, 'E', true, "exponent letter"},
        {"", 0, 0, 'e', true, "small exponent letter"},
        {"", 0, 0, sep, true, "separator"},
        {"", 0, 0, other, false, "the other separator"},
        {"", 0, 0, ' ', false, "space"},
        {"", 0, 0, '\r', false, "carriage return"},
        {"", 0, 0, '\b', true, "backspace"},
        {"", 0, 0, '\x1b', true, "escape"},
        {"", 0, 0, 'a', false, "letter"},
        {"", 0, 0, 'x', false, "letter x"},
        {"", 0, 0, char(200), false, "8-bit character"},
        {"", 0, 0, char(127), false, "delete code"},
        // signs
        {"12", 2, 0, '-', false, "sign at the end"},
        {"12", 1, 0, '+', false, "sign in the middle"},
        {"12", 0, 0, '-', true, "sign at the start"},
        {"-12", 0, 0, '-', false, "second leading sign"},
        {"-12", 0, 1, '+', true, "sign replacing the sign"},
        {"-12", 0, 0, '5', false, "digit before the sign"},
        {"-12", 0, 0, '\b', false, "backspace before the sign"},
        {"-12", 0, 0, '\x16', false, "paste before the sign"},
        {"-12", 0, 0, '\x03', false, "copy before the sign"},
        {"-12", 0, 3, '\x16', true, "paste over everything"},
        {"-12", 1, 0, '5', true, "digit after the sign"},
        {"-12", 1, 0, '\b', true, "backspace after the sign"},
        {"-12", 1, 0, '-', false, "sign after the sign"},
        // exponent letters
        {"1e5", 3, 0, 'E', false, "second exponent letter"},
        {"1e5", 0, 0, 'e', false, "second exponent letter at the start"},
        {"1e5", 1, 1, 'E', true, "letter replacing the letter"},
        {"1E5", 0, 2, 'e', true, "selection holding the letter"},
        {"1e5", 2, 0, '-', true, "sign right after the letter"},
        {"1e5", 3, 0, '-', false, "sign inside the exponent"},
        {"1e5", 1, 0, '-', false, "sign before the letter"},
        {"1e-5", 2, 0, '+', false, "second exponent sign"},
        {"1e-5", 2, 1, '+', true, "sign replacing the exponent sign"},
        {"1e-5", 2, 0, '5', false, "digit between letter and sign"},
        {"1e-5", 2, 0, '\b', false, "backspace between letter and sign"},
        {"1e-5", 3, 0, '7', true, "digit after the exponent sign"},
        {"1e-5", 1, 1, '5', false, "digit replacing the letter before a sign"},
        {"1e-5", 1, 1, 'E', true, "letter replacing the letter before a sign"},
        {"1e-5", 0, 2, '7', false, "selection ending at the letter before a sign"},
        {"1e-5", 0, 2, 'e', true, "letter replacing a selection ending at the letter"},
        {"1e-5", 1, 0, '\b', true, "backspace before the letter"},
        // separators
        {t("1.5"), 3, 0, sep, false, "second separator"},
        {t("1.5"), 0, 0, sep, false, "second separator at the start"},
        {t("1.5"), 1, 1, sep, true, "separator replacing the separator"},
        {t("1.5"), 0, 3, sep, true, "separator replacing everything"},
        {"15", 1, 0, sep, true, "first separator"},
        {"1e5", 1, 0, sep, true, "separator in the mantissa"},
        {"1e5", 2, 0, sep, false, "separator right after the letter"},
        {"1e5", 3, 0, sep, false, "separator in the exponent"},
        {"1e5", 2, 1, sep, false, "separator replacing an exponent digit"},
        // text with two exponent letters (pasted) must not be read outside
        {"1e5E", 4, 0, '5', true, "digit after two letters"},
        {"1e5E", 4, 0, '-', false, "sign after two letters"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Accepts(r.Text, r.SelStart, r.SelLength, r.Key), r.Accepted) << r.Why << " (text \"" << r.Text << "\", key " << int(r.Key) << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Separators, KeyFilter, ::testing::Values('.', ','),
                         [](const ::testing::TestParamInfo<char>& I) {
                             return std::string(I.param == '.' ? "point" : "comma");
                         });

TEST_F(NumberEdit, exponentLetterDIsTurnedIntoE)
{
    for (char key : {'d', 'D'}) {
        char k = key;
        SetText("");
        EXPECT_TRUE(edit->IsValidKey(k));
        EXPECT_EQ(k, 'E');
    }
    char k = 'd';
    SetText("1e5");
    edit->setCursorPosition(3);
    EXPECT_FALSE(edit->IsValidKey(k)) << "a d counts as a second exponent letter";
}

// ---------------------------------------------------------------- typing

TEST_F(NumberEdit, typingDInsertsE)
{
    QTest::keyClicks(edit, "1d5");
    EXPECT_EQ(Text(), "1E5");
    EXPECT_EQ(sys.Beeps, 0);
}

TEST_F(NumberEdit, refusedKeysBeepAndInsertNothing)
{
    QTest::keyClicks(edit, "1.2.3 x");
    EXPECT_EQ(Text(), "1.23");
    EXPECT_EQ(sys.Beeps, 3);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Text(), "1.23");
    EXPECT_EQ(sys.Beeps, 4);
}

TEST_F(NumberEdit, keyPressHandlerSeesAcceptedCharactersOnly)
{
    std::string seen;
    edit->OnKeyPress = [&](QObject* Sender, char& Key) {
        EXPECT_EQ(Sender, edit);
        seen += Key;
    };
    QTest::keyClicks(edit, "1ad.");
    EXPECT_EQ(seen, "1E");
    EXPECT_EQ(Text(), "1E");
    EXPECT_EQ(sys.Beeps, 2);
}

TEST_F(NumberEdit, keyPressHandlerMayChangeOrDropTheKey)
{
    edit->OnKeyPress = [](QObject*, char& Key) {
        if (Key == '1') Key = '7';
        if (Key == '2') Key = '\0';
    };
    QTest::keyClicks(edit, "123");
    EXPECT_EQ(Text(), "73");
    EXPECT_EQ(sys.Beeps, 0);
}

TEST_F(NumberEdit, backspaceAndClipboardKeysPassExceptBeforeALeadingSign)
{
    SetText("-25");
    edit->setCursorPosition(3);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(Text(), "-2");
    EXPECT_EQ(sys.Beeps, 0);

    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(sys.Beeps, 2);
    EXPECT_EQ(Text(), "-2");

    // Ctrl+A is a control character too: it passes where nothing stops it.
    edit->setCursorPosition(1);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(sys.Beeps, 2);
    EXPECT_EQ(edit->selectedText().toStdString(), "-2");
}

TEST_F(NumberEdit, deleteAndArrowKeysBypassTheFilter)
{
    SetText("-25");
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_Delete);  // a key, not a typed character
    EXPECT_EQ(Text(), "25");
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Left);
    EXPECT_EQ(edit->cursorPosition(), 1);
    EXPECT_EQ(sys.Beeps, 0);
}

TEST_F(NumberEdit, composedTextGoesThroughTheFilter)
{
    QInputMethodEvent e;
    e.setCommitString("1x2");
    QApplication::sendEvent(edit, &e);
    EXPECT_EQ(Text(), "12");
    EXPECT_EQ(sys.Beeps, 1);
}

// ---------------------------------------------------------------- reading

TEST_F(NumberEdit, readingParsesTheTextWithTheRegionalSeparator)
{
    struct Case {
        char Separator;
        const char* Text;
        double Expected;
    };
    edit->SetValueDefault(-7);
    const Case cases[] = {
        {'.', "12.5", 12.5}, {'.', "  3", 3},     {'.', "-1e3", -1000}, {'.', "+2E-2", 0.02},
        {'.', ".5", 0.5},    {',', "12,5", 12.5}, {',', "12.5", -7},    {'.', "12,5", -7},
        {'.', "5 ", -7},     {'.', "1.2.3", -7},  {'.', "1e", -7},      {'.', "-", -7},
        {'.', "", -7},       {'.', "1x", -7},     {'.', "1e+5", 1e5},   {'.', "0x10", -7},
    };
    for (const Case& c : cases) {
        sys.Separator = c.Separator;
        SetText(c.Text);
        EXPECT_DOUBLE_EQ(edit->Value(), c.Expected) << c.Text;
        EXPECT_DOUBLE_EQ(edit->AsDouble(), c.Expected) << c.Text;
    }
}

TEST_F(NumberEdit, readingUnreadableTextColoursTheFontUntilTheNextRecolouring)
{
    SetText("-");
    // The recolouring after the change judges ValueDefault: no range, good.
    EXPECT_EQ(edit->FontColor(), clWindowText);
    EXPECT_EQ(edit->Value(), 0);
    EXPECT_EQ(edit->FontColor(), clRed);
    EXPECT_EQ(edit->palette().color(QPalette::Text), ToQColor(clRed));
}

TEST_F(NumberEdit, readingEmptyTextLeavesTheFontAlone)
{
    SetText("x");
    edit->Value();
    ASSERT_EQ(edit->FontColor(), clRed);
    edit->blockSignals(true);  // empty the text without the recolouring
    SetText("");
    edit->blockSignals(false);
    edit->SetValueDefault(4);
    EXPECT_EQ(edit->Value(), 4);
    EXPECT_EQ(edit->FontColor(), clRed);
}

TEST_F(NumberEdit, unreadableTextIsJudgedByTheDefaultAfterAChange)
{
    struct Case {
        double Default;
        TColor Expected;
    };
    Range(1, 10, false);
    const Case cases[] = {{5, clWindowText}, {1, clWindowText}, {10, clWindowText}, {0, clRed}, {11, clRed}};
    for (const Case& c : cases) {
        edit->SetValueDefault(c.Default);
        SetText("7");
        SetText("-");
        EXPECT_EQ(edit->FontColor(), c.Expected) << "default " << c.Default;
    }
}

TEST_F(NumberEdit, withoutARangeAnyReadableTextIsGood)
{
    for (const char* t : {"5000", "-1e300", "0"}) {
        SetText(t);
        EXPECT_EQ(edit->FontColor(), clWindowText) << t;
        EXPECT_EQ(Text(), t);
    }
}

TEST_F(NumberEdit, outOfRangeTextWithoutLimitStaysAsTypedInTheErrorColour)
{
    Range(1, 1000, false);
    QTest::keyClicks(edit, "5000");
    EXPECT_EQ(Text(), "5000");
    EXPECT_EQ(edit->FontColor(), clRed);
    EXPECT_EQ(edit->Value(), 5000);
    EXPECT_FALSE(edit->IsInRange());
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->FontColor(), clWindowText);
}

TEST_F(NumberEdit, onChangeRunsBeforeTheRecolouring)
{
    Range(1, 10, false);
    SetText("5");
    std::vector<TColor> colours;
    edit->OnChange = [&](QObject*) { colours.push_back(edit->FontColor()); };
    SetText("50");
    ASSERT_EQ(colours.size(), 1u);
    EXPECT_EQ(colours[0], clWindowText);
    EXPECT_EQ(edit->FontColor(), clRed);
}

// ---------------------------------------------------------------- AsInt

TEST_F(NumberEdit, asIntRoundsTiesToEvenAndSaturates)
{
    struct Case {
        const char* Text;
        std::int32_t Expected;
    };
    edit->SetValueDefault(7.6);
    const Case cases[] = {
        {"2.5", 2},   {"3.5", 4},          {"-2.5", -2},          {"-3.5", -4},          {"2.4999", 2},
        {"0.5", 0},   {"1.5", 2},          {"", 8},               {"abc", 8},            {"2147483647", INT32_MAX},
        {"1e20", INT32_MAX}, {"-1e20", INT32_MIN}, {"1e999", INT32_MAX}, {"-2147483648", INT32_MIN},
    };
    for (const Case& c : cases) {
        SetText(c.Text);
        EXPECT_EQ(edit->AsInt(), c.Expected) << c.Text;
    }
}

TEST_F(NumberEdit, settingAsIntWritesTheInteger)
{
    edit->SetAsInt(-42);
    EXPECT_EQ(Text(), "-42");
    edit->SetAsDouble(0.25);
    EXPECT_EQ(Text(), "0.25");
}

// ---------------------------------------------------------------- writing

TEST_F(NumberEdit, writingFormatsWithPrecisionSignificantDigits)
{
    struct Case {
        double Value;
        int Precision;
        char Separator;
        const char* Expected;
    };
    const Case cases[] = {
        {0.00001, 8, '.', "1E-5"},      {123456789, 8, '.', "1.2345679E8"}, {1000, 8, '.', "1000"},
        {0.5, 8, '.', "0.5"},           {0.0001, 8, '.', "0.0001"},         {0, 8, '.', "0"},
        {-2.5, 8, '.', "-2.5"},         {0.5, 8, ',', "0,5"},               {1.0 / 3, 8, '.', "0.33333333"},
        {1.0 / 3, 1, '.', "0.33"},      {1.0 / 3, 40, '.', "0.333333333333333315"},
        {99999999, 8, '.', "99999999"}, {999999999, 8, '.', "1E9"},         {-0.000123, 2, '.', "-0.00012"},
        {1.5e-7, 8, ',', "1,5E-7"},     {12345.678, 4, '.', "1.235E4"},
    };
    edit->SetValueDefault(-1);  // what "junk" reads as: none of the values
    for (const Case& c : cases) {
        sys.Separator = c.Separator;
        edit->SetPrecision(c.Precision);
        SetText("junk");
        edit->SetValue(c.Value);
        EXPECT_EQ(Text(), c.Expected) << c.Value << " precision " << c.Precision;
    }
}

TEST_F(NumberEdit, writingTheValueTheTextHoldsChangesNothing)
{
    SetText("1.50");
    changes.clear();
    edit->SetValue(1.5);
    EXPECT_EQ(Text(), "1.50");
    EXPECT_TRUE(changes.empty());

    // Unreadable text reads as the default, so writing the default keeps it.
    edit->SetValueDefault(3);
    SetText("abc");
    changes.clear();
    edit->SetValue(3);
    EXPECT_EQ(Text(), "abc");
    EXPECT_TRUE(changes.empty());

    edit->SetValue(4);
    EXPECT_EQ(Text(), "4");
    EXPECT_EQ(changes, Strings({"4"}));
}

TEST_F(NumberEdit, changingPrecisionDoesNotReformat)
{
    edit->SetValue(1.0 / 3);
    EXPECT_EQ(Text(), "0.33333333");
    edit->SetPrecision(3);
    EXPECT_EQ(Text(), "0.33333333");
    edit->SetValue(2.0 / 3);
    EXPECT_EQ(Text(), "0.667");
}

TEST_F(NumberEdit, rangeSettersOnlyStore)
{
    SetText("50");
    changes.clear();
    edit->SetValueMin(1);
    edit->SetValueMax(10);
    edit->SetValueDefault(3);
    edit->SetPrecision(3);
    EXPECT_EQ(Text(), "50");
    EXPECT_EQ(edit->FontColor(), clWindowText) << "not judged again until something recolours";
    EXPECT_TRUE(changes.empty());
    edit->SetColorOfFont(clGreen);  // stores and checks
    EXPECT_EQ(edit->FontColor(), clRed);
    SetText("5");
    EXPECT_EQ(edit->FontColor(), clGreen);
    edit->SetColorOfErrors(clBlack);
    SetText("11");
    EXPECT_EQ(edit->FontColor(), clBlack);
}

// ---------------------------------------------------------------- clamping

TEST_F(NumberEdit, typingBeyondTheMaximumClampsInsideTheSameChange)
{
    edit->SetValueDefault(1);
    Range(1, 1000, true);
    ASSERT_EQ(Text(), "");
    QTest::keyClicks(edit, "5000");
    EXPECT_EQ(changes, Strings({"5", "50", "500", "5000", "1000"}));
    EXPECT_EQ(Text(), "1000");
    EXPECT_EQ(edit->FontColor(), clWindowText);
}

TEST_F(NumberEdit, handlerReadingTheValueSeesTheClampedNumber)
{
    edit->SetValueDefault(1);
    Range(1, 1000, true);
    std::vector<int> read;
    edit->OnChange = [&](QObject*) { read.push_back(edit->AsInt()); };
    QTest::keyClicks(edit, "5000");
    // The reading inside the change of 5000 clamps, so both handlers see 1000.
    EXPECT_EQ(read, std::vector<int>({5, 50, 500, 1000, 1000}));
    EXPECT_EQ(Text(), "1000");
}

TEST_F(NumberEdit, typingZeroIntoAnEmptyEditGivesTheMinimum)
{
    edit->SetValueDefault(1);
    Range(1, 1000, true);
    QTest::keyClicks(edit, "0");
    EXPECT_EQ(changes, Strings({"0", "1"}));
    EXPECT_EQ(Text(), "1");
    EXPECT_EQ(edit->Value(), 1);
}

TEST_F(NumberEdit, writingOutsideTheRangeClamps)
{
    struct Case {
        double Min, Max, Written;
        Strings Changes;
    };
    const Case cases[] = {
        {1, 1000, 5000, {"5000", "1000"}}, {1, 1000, -3, {"-3", "1"}},  {1, 1000, 0.5, {"0.5", "1"}},
        {1, 1000, 999.5, {"999.5"}},       {10, 5, 7, {"7", "5"}},      {10, 5, 100, {"100", "5"}},
    };
    for (const Case& c : cases) {
        edit->SetLimitValue(false);
        SetText("");
        edit->SetValueDefault(c.Min);
        Range(c.Min, c.Max, true);
        changes.clear();
        edit->SetValue(c.Written);
        EXPECT_EQ(changes, c.Changes) << c.Written << " in " << c.Min << ".." << c.Max;
        EXPECT_EQ(edit->FontColor(), clWindowText);
    }
}

TEST_F(NumberEdit, settingTheLimitOnEmptyTextWritesTheDefaultClamped)
{
    Range(1, 1000, true);  // the default 0 lies below the range
    EXPECT_EQ(Text(), "1");
}

TEST_F(NumberEdit, readingReturnsTheClampedNumber)
{
    edit->SetValueDefault(1);
    edit->SetLoading(true);
    Range(1, 1000, true);
    SetText("-20");  // not clamped while loading
    edit->SetLoading(false);
    changes.clear();
    EXPECT_EQ(edit->Value(), 1);
    EXPECT_EQ(Text(), "1");
    EXPECT_EQ(changes, Strings({"1"}));
}

TEST_F(NumberEdit, switchingLimitOnClampsAtOnce)
{
    Range(1, 1000, false);
    SetText("5000");
    changes.clear();
    edit->SetLimitValue(true);
    EXPECT_EQ(Text(), "1000");
    EXPECT_EQ(changes, Strings({"1000"}));
}

TEST_F(NumberEdit, unreadableTextIsNeverClamped)
{
    edit->SetValueDefault(5);
    Range(1, 1000, true);
    SetText("-");
    EXPECT_EQ(Text(), "-");
    EXPECT_EQ(edit->FontColor(), clWindowText);
    // Unreadable text is never rewritten; it only shows the error colour
    // when its default lies outside.
    edit->SetValueDefault(0);
    SetText("e");
    EXPECT_EQ(Text(), "e");
    EXPECT_EQ(edit->FontColor(), clRed);
}

// ---------------------------------------------------------------- loading

TEST_F(NumberEdit, nothingIsClampedWhileLoading)
{
    edit->SetLoading(true);
    Range(1, 1000, true);
    edit->SetValueDefault(1);
    edit->SetValue(5000);
    EXPECT_EQ(Text(), "5000");
    edit->Loaded();
    EXPECT_FALSE(edit->Loading());
    EXPECT_EQ(Text(), "5000") << "only a text that holds the name is replaced";
    SetText("2000");
    EXPECT_EQ(Text(), "1000");
}

TEST_F(NumberEdit, afterLoadingTheNameAsTextBecomesTheDefault)
{
    struct Case {
        double Default;
        bool Limit;
        const char* Expected;
    };
    const Case cases[] = {{2.5, false, "2.5"}, {0, false, "0"}, {5000, true, "1000"}, {5000, false, "5000"}};
    for (const Case& c : cases) {
        edit->SetLoading(true);
        edit->SetLimitValue(false);
        SetText("jtNumberEdit1");
        Range(1, 1000, c.Limit);
        edit->SetValueDefault(c.Default);
        edit->Loaded();
        EXPECT_EQ(Text(), c.Expected) << c.Default;
    }
}

TEST_F(NumberEdit, mainWindowSetUpKeepsItsText)
{
    edit->SetLoading(true);
    edit->setGeometry(768, 40, 33, 21);
    Range(1, 1000, false);
    edit->SetValueDefault(1);
    edit->SetValue(1);
    edit->SetLimitValue(true);
    SetText("1");
    edit->Loaded();
    EXPECT_EQ(Text(), "1");
    EXPECT_EQ(edit->AsInt(), 1);
    edit->SetAsInt(20);
    EXPECT_EQ(edit->AsInt(), 20);
    edit->SetAsInt(20000);
    EXPECT_EQ(edit->AsInt(), 1000);
}

TEST_F(NumberEdit, designModeLeavesFontAndTextAlone)
{
    edit->SetDesignMode(true);
    Range(1, 10, false);
    SetText("50");
    EXPECT_EQ(edit->FontColor(), clWindowText);
    SetText("x");
    edit->Value();
    EXPECT_EQ(edit->FontColor(), clWindowText);
    edit->SetLoading(true);
    SetText("jtNumberEdit1");
    edit->Loaded();
    EXPECT_EQ(Text(), "jtNumberEdit1");
}

// ---------------------------------------------------------------- stepping

TEST_F(NumberEdit, stepSizesFollowTheModifierKeys)
{
    struct Case {
        bool Alt, Shift, Ctrl;
        int Count;
        const char* Expected;
    };
    const Case cases[] = {
        {false, false, false, 1, "6"},      {false, true, false, 1, "15"},     {false, false, true, 1, "105"},
        {false, true, true, 1, "1005"},     {true, false, false, 1, "5.1"},    {true, true, false, 1, "5.01"},
        {true, false, true, 1, "5.001"},    {true, true, true, 1, "5.0001"},   {false, false, false, -2, "3"},
        {false, true, false, -1, "-5"},     {true, false, false, -3, "4.7"},   {false, false, false, 0, "5"},
    };
    for (const Case& c : cases) {
        SetText("5");
        edit->StepValue(c.Count, platform::Modifiers{c.Shift, c.Alt, c.Ctrl});
        EXPECT_EQ(Text(), c.Expected) << "alt " << c.Alt << " shift " << c.Shift << " ctrl " << c.Ctrl
                                      << " count " << c.Count;
    }
}

TEST_F(NumberEdit, stepFromUnreadableTextStartsAtTheDefault)
{
    edit->SetValueDefault(10);
    SetText("abc");
    edit->StepValue(1, {});
    EXPECT_EQ(Text(), "11");
}

TEST_F(NumberEdit, wheelStepsByWholeNotches)
{
    struct Case {
        int DeltaY;
        Qt::KeyboardModifiers Mods;
        int DeltaX;
        const char* Expected;
    };
    const Case cases[] = {
        {120, Qt::NoModifier, 0, "6"},
        {60, Qt::NoModifier, 0, "5"},
        {-240, Qt::NoModifier, 0, "3"},
        {-119, Qt::NoModifier, 0, "5"},
        {250, Qt::ShiftModifier, 0, "25"},
        {120, Qt::ControlModifier, 0, "105"},
        {0, Qt::AltModifier, 120, "5.1"},  // Alt turns the wheel horizontal
        {0, Qt::NoModifier, 120, "5"},
    };
    for (const Case& c : cases) {
        SetText("5");
        Wheel(c.DeltaY, c.Mods, c.DeltaX);
        EXPECT_EQ(Text(), c.Expected) << c.DeltaY << "/" << c.DeltaX;
    }
}

TEST_F(NumberEdit, wheelIsLeftAloneWhenReadOnlyOrDisabled)
{
    SetText("5");
    edit->SetReadOnly(true);
    Wheel(120);
    EXPECT_EQ(Text(), "5");
    edit->SetReadOnly(false);
    edit->SetDisableMouseWheel(true);
    Wheel(120);
    EXPECT_EQ(Text(), "5");
    edit->SetDisableMouseWheel(false);
    Wheel(120);
    EXPECT_EQ(Text(), "6");
}

TEST_F(NumberEdit, wheelAtTheMaximumWritesAndClamps)
{
    Range(1, 1000, true);
    SetText("1000");
    changes.clear();
    Wheel(120);
    EXPECT_EQ(changes, Strings({"1001", "1000"}));
}

// ---------------------------------------------------------------- read-only colours

TEST_F(NumberEdit, readOnlySwitchesTheBackground)
{
    edit->SetReadOnly(true);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->BackgroundColor(), clBtnFace);
    EXPECT_EQ(edit->palette().color(QPalette::Base), ToQColor(clBtnFace));

    edit->SetColorWhenReadOnly(clGreen);  // applies at once while read-only
    EXPECT_EQ(edit->BackgroundColor(), clGreen);
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0, 255, 0));
    edit->SetColorWhenReadWrite(clWhite);  // only stored while read-only
    EXPECT_EQ(edit->BackgroundColor(), clGreen);

    edit->SetReadOnly(false);
    EXPECT_FALSE(edit->isReadOnly());
    EXPECT_EQ(edit->BackgroundColor(), clWhite);
    edit->SetColorWhenReadOnly(clBlack);
    EXPECT_EQ(edit->BackgroundColor(), clWhite);
    edit->SetColorWhenReadWrite(clRed);
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(255, 0, 0));
}

}  // namespace
