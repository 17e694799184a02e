#include "components/jtNumberEdit.h"

#include "components/jtSysUtils.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool IsSign(char C) { return C == '+' || C == '-'; }
bool IsExponentLetter(char C) { return C == 'E' || C == 'e'; }

// 1-based position of the first C in T, 0 when there is none.
int PosOf(char C, const std::string& T)
{
    const std::string::size_type i = T.find(C);
    return i == std::string::npos ? 0 : int(i) + 1;
}

// The character at 1-based position I, or the null character outside T.
char CharAt(const std::string& T, int I)
{
    return I >= 1 && I <= int(T.size()) ? T[size_t(I - 1)] : '\0';
}

// A key event that types C, for a character the filter or OnKeyPress has
// changed.
QKeyEvent TypingEvent(char C, Qt::KeyboardModifiers Modifiers)
{
    const unsigned char u = static_cast<unsigned char>(C);
    const QString text{QChar(char16_t(u))};
    switch (u) {
    case 8: return QKeyEvent(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, text);
    case 13: return QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, text);
    case 27: return QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, text);
    default: break;
    }
    if (u >= 1 && u <= 26)  // Ctrl+A .. Ctrl+Z
        return QKeyEvent(QEvent::KeyPress, Qt::Key(Qt::Key_A + (u - 1)), Qt::ControlModifier, text);
    const Qt::KeyboardModifiers kept = Modifiers & (Qt::ShiftModifier | Qt::KeypadModifier);
    if (u >= 32 && u < 127) {
        const int upper = (u >= 'a' && u <= 'z') ? u - 'a' + 'A' : u;
        return QKeyEvent(QEvent::KeyPress, Qt::Key(upper), kept, text);
    }
    return QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, kept, text);
}

}  // namespace

int TjtNumberEdit::WheelDelta(const QWheelEvent* Event)
{
    const QPoint d = Event->angleDelta();
    if (d.y() == 0 && (Event->modifiers() & Qt::AltModifier)) return d.x();
    return d.y();
}

TjtNumberEdit::TjtNumberEdit(QWidget* Parent) : QLineEdit(Parent)
{
    resize(65, height());
    connect(this, &QLineEdit::textChanged, this, [this](const QString&) { Change(); });
}

// ---------------------------------------------------------------- value

double TjtNumberEdit::Value()
{
    const std::string t = Text8();
    if (t.empty()) return valueDefault_;
    const char sep = jt::DecimalSeparator();
    double v = 0;
    if (!jt::TryTextToFloat(t, sep, v, false)) {
        if (!designMode_) ApplyFontColor(colorOfErrors_);
        return valueDefault_;
    }
    CheckValue();
    if (limitValue_) {
        // The clamping may have rewritten the text.
        const std::string now = Text8();
        if (now.empty()) return valueDefault_;
        double w = 0;
        return jt::TryTextToFloat(now, sep, w, false) ? w : valueDefault_;
    }
    return v;
}

void TjtNumberEdit::SetValue(double X)
{
    if (Value() == X) return;
    SetText8(jt::FormatGeneral(X, precision_, jt::DecimalSeparator()));
    CheckValue();
}

std::int32_t TjtNumberEdit::AsInt()
{
    const double v = std::nearbyint(Value());  // ties to even in the default rounding mode
    // Converting a double outside the integer range is undefined; the ends
    // of the range are the nearest integers there are.
    if (std::isnan(v)) return 0;
    if (v <= double(std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    if (v >= double(std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    return std::int32_t(v);
}

// ---------------------------------------------------------------- setters

void TjtNumberEdit::SetColorWhenReadOnly(TColor V)
{
    colorWhenReadOnly_ = V;
    if (ReadOnly()) ApplyBackgroundColor(V);
}

void TjtNumberEdit::SetColorWhenReadWrite(TColor V)
{
    colorWhenReadWrite_ = V;
    if (!ReadOnly()) ApplyBackgroundColor(V);
}

void TjtNumberEdit::SetColorOfErrors(TColor V)
{
    colorOfErrors_ = V;
    CheckValue();
}

void TjtNumberEdit::SetColorOfFont(TColor V)
{
    colorOfFont_ = V;
    CheckValue();
}

void TjtNumberEdit::SetReadOnly(bool V)
{
    setReadOnly(V);
    ApplyBackgroundColor(V ? colorWhenReadOnly_ : colorWhenReadWrite_);
}

void TjtNumberEdit::SetLimitValue(bool V)
{
    limitValue_ = V;
    CheckValue();
}

// ---------------------------------------------------------------- range and colour

bool TjtNumberEdit::IsInRange()
{
    if (valueMin_ == valueMax_) return true;
    const double v = Value();
    return valueMin_ <= v && v <= valueMax_;
}

void TjtNumberEdit::UpdateFontColor()
{
    if (designMode_) return;
    ApplyFontColor(IsInRange() ? colorOfFont_ : colorOfErrors_);
}

void TjtNumberEdit::CheckValue()
{
    // Reading the value runs CheckValue, which may clamp and so write and
    // read the value again.
    if (checking_) return;
    checking_ = true;
    try {
        if (limitValue_)
            ClampValue();
        else
            UpdateFontColor();
    } catch (...) {
        checking_ = false;
        throw;
    }
    checking_ = false;
}

void TjtNumberEdit::ClampValue()
{
    if (loading_ || valueMin_ == valueMax_) return;
    double v = Value();
    if (v < valueMin_) v = valueMin_;
    if (v > valueMax_) v = valueMax_;  // with ValueMin > ValueMax the result is ValueMax
    SetValue(v);
    if (!designMode_) ApplyFontColor(colorOfFont_);
}

void TjtNumberEdit::StepValue(int Count, platform::Modifiers Shift)
{
    const double step = StepSize(Shift);
    SetValue(Value() + Count * step);
}

double TjtNumberEdit::StepSize(platform::Modifiers Shift)
{
    // Shift and Ctrl choose the size; Alt turns 1, 10, 100, 1000 into
    // 0.1, 0.01, 0.001, 0.0001.
    static const double plain[4] = {1, 10, 100, 1000};
    static const double fine[4] = {0.1, 0.01, 0.001, 0.0001};
    const int i = (Shift.Shift ? 1 : 0) + (Shift.Ctrl ? 2 : 0);
    return Shift.Alt ? fine[i] : plain[i];
}

// ---------------------------------------------------------------- lifecycle

void TjtNumberEdit::Loaded()
{
    loading_ = false;
    if (designMode_) return;
    if (text() == objectName()) {
        SetText8(jt::FormatGeneral(valueDefault_, precision_, jt::DecimalSeparator()));
        CheckValue();
    }
}

void TjtNumberEdit::Change()
{
    if (OnChange) OnChange(this);
    UpdateFontColor();
}

// ---------------------------------------------------------------- key filter

bool TjtNumberEdit::IsValidKey(char& Key)
{
    if (Key == 'D' || Key == 'd') Key = 'E';

    const char sep = jt::DecimalSeparator();
    const unsigned char k = static_cast<unsigned char>(Key);
    bool ok = IsSign(Key) || (Key >= '0' && Key <= '9') || IsExponentLetter(Key) || Key == sep ||
              (k < 32 && k != 13);

    const std::string t = Text8();
    const int len = int(t.size());
    int s = cursorPosition();
    int l = 0;
    if (hasSelectedText()) {
        s = selectionStart();
        l = int(selectedText().size());
    }
    const std::string selected = t.substr(size_t(std::min(s, len)), size_t(l));
    // The place right after the exponent letter; 0 (the start) without one.
    const int p = PosOf('e', t) + PosOf('E', t);

    // One exponent letter only, unless the typed one replaces it.
    if (IsExponentLetter(Key) && p != 0 && selected.find_first_of("eE") == std::string::npos) ok = false;

    if (Key == sep) {
        // One separator only, unless the typed one replaces it ...
        if (t.find(sep) != std::string::npos && selected.find(sep) == std::string::npos) ok = false;
        // ... and none in the exponent.
        if (p != 0 && s >= p) ok = false;
    }

    // Signs only at the start and right after the exponent letter, and only
    // one there.
    if (IsSign(Key) && !t.empty()) {
        const bool atStart = s == 0 && !(IsSign(CharAt(t, 1)) && l == 0);
        const bool afterExponent = p != 0 && s == p && !(IsSign(CharAt(t, p + 1)) && l == 0);
        if (!atStart && !afterExponent) ok = false;
    }

    // Nothing in front of a leading sign (control characters included).
    if (ok && s == 0 && l == 0 && IsSign(CharAt(t, 1))) ok = false;
    // Nothing between the exponent letter and its sign.
    if (ok && s == p && l == 0 && p < len && IsSign(CharAt(t, p + 1))) ok = false;
    // The exponent letter in front of a sign stays, unless it is replaced by
    // another exponent letter.
    if (ok && s + l == p && p < len && IsSign(CharAt(t, p + 1)) && !IsExponentLetter(Key)) ok = false;

    return ok;
}

int TjtNumberEdit::TypedCharacter(const QKeyEvent* Event)
{
    const Qt::KeyboardModifiers m = Event->modifiers();
    // Ctrl with a letter types a control character (3 for Ctrl+C), whatever
    // text the platform put into the event.
    if ((m & Qt::ControlModifier) && !(m & (Qt::AltModifier | Qt::MetaModifier)) && Event->key() >= Qt::Key_A &&
        Event->key() <= Qt::Key_Z)
        return Event->key() - Qt::Key_A + 1;
    // The keys that type control characters, whatever text came with them.
    switch (Event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Escape: return 27;
    default: break;
    }
    const QString text = Event->text();
    if (text.size() != 1) return -1;
    const char16_t u = text.at(0).unicode();
    if (u == 0 || u == 0x7F) return -1;  // no character; Delete is a key, not a character
    return u < 256 ? int(u) : 0xFF;      // beyond 8 bits: a code the filter refuses
}

void TjtNumberEdit::keyPressEvent(QKeyEvent* Event)
{
    const QString text = Event->text();
    if (text.size() > 1 && TypedCharacter(Event) < 0) {
        // Several characters at once: each goes through the filter.
        for (const QChar ch : text) {
            QKeyEvent one(QEvent::KeyPress, Qt::Key_unknown, Event->modifiers(), QString(ch));
            keyPressEvent(&one);
        }
        Event->accept();
        return;
    }
    const int c = TypedCharacter(Event);
    if (c < 0) {
        QLineEdit::keyPressEvent(Event);
        return;
    }
    HandleTypedCharacter(Event, char(c));
}

void TjtNumberEdit::HandleTypedCharacter(QKeyEvent* Event, char Key)
{
    const char typed = Key;
    if (!IsValidKey(Key)) {
        Key = '\0';
        platform::system().Beep();
    }
    if (Key != '\0' && OnKeyPress) OnKeyPress(this, Key);
    if (Key == '\0') {
        // Enter stays with the window (a default button, for one).
        if (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter)
            Event->ignore();
        else
            Event->accept();
        return;
    }
    if (Key == typed) {
        QLineEdit::keyPressEvent(Event);
        return;
    }
    QKeyEvent changed = TypingEvent(Key, Event->modifiers());
    QLineEdit::keyPressEvent(&changed);
    Event->setAccepted(changed.isAccepted());
}

void TjtNumberEdit::inputMethodEvent(QInputMethodEvent* Event)
{
    // Composed text is typed through the key filter like keys are.
    const QString commit = Event->commitString();
    for (const QChar ch : commit) {
        QKeyEvent one(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        keyPressEvent(&one);
    }
    Event->accept();
}

// ---------------------------------------------------------------- wheel

void TjtNumberEdit::wheelEvent(QWheelEvent* Event)
{
    if (ReadOnly() || disableMouseWheel_) {
        QLineEdit::wheelEvent(Event);
        return;
    }
    const int count = WheelDelta(Event) / 120;  // truncated toward zero
    const Qt::KeyboardModifiers m = Event->modifiers();
    StepValue(count, platform::Modifiers{m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::AltModifier),
                                         m.testFlag(Qt::ControlModifier)});
    Event->accept();
}

// ---------------------------------------------------------------- helpers

std::string TjtNumberEdit::Text8() const { return text().toLatin1().toStdString(); }

void TjtNumberEdit::SetText8(const std::string& V) { setText(QString::fromLatin1(V.data(), qsizetype(V.size()))); }

void TjtNumberEdit::ApplyFontColor(TColor C)
{
    if (C == fontColor_) return;
    fontColor_ = C;
    QPalette pal = palette();
    pal.setColor(QPalette::Text, ToQColor(C));
    setPalette(pal);
}

void TjtNumberEdit::ApplyBackgroundColor(TColor C)
{
    if (C == backgroundColor_) return;
    backgroundColor_ = C;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, ToQColor(C));
    setPalette(pal);
}
