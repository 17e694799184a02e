// The number edit on arbitrary texts and key sequences.
//
// Input: byte 0 chooses the precision (0..19, so values outside 2..18 are
// tried) and the decimal separator; the rest is read twice: once whole, as
// the text of the edit, and once as a sequence of actions (two bytes each:
// type a character, move the caret, select, or type one of the characters a
// number is made of).
//
// Promises checked: no crash, hang or sanitizer report. A readable text's
// value, formatted with the precision and read back, is the same value
// rounded to that many significant digits, and formatting it again gives the
// same text. Every typed character is accepted or refused by the key rules
// (refused ones beep once and change nothing; accepted ones reach OnKeyPress,
// "d" as "E"); after any sequence of typed keys the text holds only digits,
// signs, one exponent letter and one separator at most, with signs only at
// the start or right after the exponent letter; reading the value never
// fails and gives the default for unreadable text. With a range and
// LimitValue, keys, wheel turns and steps never leave a readable text
// outside the range, and the clamping inside the change event ends.

#include "fuzz/FuzzSupport.h"

#include "components/jtNumberEdit.h"
#include "components/jtSysUtils.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string Text(const QLineEdit& E) { return E.text().toLatin1().toStdString(); }
void SetText(QLineEdit& E, const std::string& T) { E.setText(QString::fromLatin1(T.data(), qsizetype(T.size()))); }

bool Readable(const std::string& T, char Sep, double& V) { return jt::TryTextToFloat(T, Sep, V, false); }

// ---------------------------------------------------------------- formatting

void CheckFormatting(const std::string& Input, int Precision, char Sep)
{
    double v = 0;
    if (!Readable(Input, Sep, v)) return;
    if (!std::isfinite(v)) return;  // no finite text to write for it
    const int p = Precision < 2 ? 2 : Precision > 18 ? 18 : Precision;

    TjtNumberEdit source;
    SetText(source, Input);
    FUZZ_CHECK(source.Value() == v, "the text does not read as its number: " + fuzz::Printable(Input));

    TjtNumberEdit edit;
    edit.SetPrecision(Precision);
    edit.SetValue(v);
    const std::string written = Text(edit);
    if (v == 0) {
        // The default is 0 already: nothing is written.
        FUZZ_CHECK(written.empty() || written == "0", "zero written as '" + written + "'");
        return;
    }
    double w = 0;
    FUZZ_CHECK(Readable(written, Sep, w), "written text '" + written + "' is not readable");
    FUZZ_CHECK(edit.Value() == w, "the edit reads '" + written + "' differently");
    // Rounded to p significant digits: off by at most half a unit in the
    // p-th digit (and the rounding of the number read back).
    const double scale = std::pow(10.0, std::floor(std::log10(std::fabs(v))) + 1 - p);
    const double slack = 0.5 * scale * (1 + 1e-12) + std::fabs(v) * 4e-16;
    FUZZ_CHECK(std::fabs(w - v) <= slack || (std::isinf(w) && std::fabs(v) > 1.7e308),
               fuzz::Printable(Input) + " written as '" + written + "' with precision " + std::to_string(p));
    if (std::isinf(w)) return;  // rounded up beyond the largest double
    FUZZ_CHECK(jt::FormatGeneral(w, Precision, Sep) == written, "formatting '" + written + "' again differs");
    // Digits: at most p of them, and no trailing zero after the separator.
    std::size_t digits = 0;
    const std::size_t mantissaEnd = written.find('E');
    const std::string mantissa = written.substr(0, mantissaEnd);
    bool leading = true;  // zeros in front of the first digit are no digits of the value
    for (char c : mantissa) {
        if (c >= '1' && c <= '9') leading = false;
        if (c >= '0' && c <= '9' && !leading) ++digits;
    }
    FUZZ_CHECK(digits <= std::size_t(p) || mantissa.find(Sep) == std::string::npos,
               "'" + written + "' has more than " + std::to_string(p) + " digits");
    if (mantissa.find(Sep) != std::string::npos) FUZZ_CHECK(mantissa.back() != '0', "'" + written + "' ends in 0");
}

// ---------------------------------------------------------------- typing

// The key rules, as the users of the edit rely on them.
bool Accepts(char& Key, const std::string& T, int S, int L, char Sep)
{
    if (Key == 'd' || Key == 'D') Key = 'E';
    const unsigned char k = static_cast<unsigned char>(Key);
    auto sign = [](char c) { return c == '+' || c == '-'; };
    auto at = [&](int i) { return i >= 1 && i <= int(T.size()) ? T[size_t(i - 1)] : '\0'; };
    bool ok = sign(Key) || (Key >= '0' && Key <= '9') || Key == 'E' || Key == 'e' || Key == Sep || (k < 32 && k != 13);
    const std::size_t le = T.find('e'), ue = T.find('E');
    const int p = (le == std::string::npos ? 0 : int(le) + 1) + (ue == std::string::npos ? 0 : int(ue) + 1);
    const std::string sel = T.substr(size_t(S), size_t(L));
    const int len = int(T.size());
    if ((Key == 'E' || Key == 'e') && p != 0 && sel.find_first_of("eE") == std::string::npos) ok = false;
    if (Key == Sep && T.find(Sep) != std::string::npos && sel.find(Sep) == std::string::npos) ok = false;
    if (Key == Sep && p != 0 && S >= p) ok = false;
    if (sign(Key) && !T.empty()) {
        const bool start = S == 0 && !(sign(at(1)) && L == 0);
        const bool exponent = p != 0 && S == p && !(sign(at(p + 1)) && L == 0);
        if (!start && !exponent) ok = false;
    }
    if (ok && S == 0 && L == 0 && sign(at(1))) ok = false;
    if (ok && S == p && L == 0 && p < len && sign(at(p + 1))) ok = false;
    if (ok && S + L == p && p < len && sign(at(p + 1)) && Key != 'E' && Key != 'e') ok = false;
    return ok;
}

QKeyEvent KeyFor(char C)
{
    const unsigned char u = static_cast<unsigned char>(C);
    const QString text{QChar(char16_t(u))};
    switch (u) {
    case 8: return QKeyEvent(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, text);
    case 13: return QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, text);
    case 27: return QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, text);
    default: break;
    }
    if (u >= 1 && u <= 26) return QKeyEvent(QEvent::KeyPress, Qt::Key(Qt::Key_A + (u - 1)), Qt::ControlModifier, text);
    if (u >= 32 && u < 127) {
        const int upper = (u >= 'a' && u <= 'z') ? u - 'a' + 'A' : u;
        return QKeyEvent(QEvent::KeyPress, Qt::Key(upper), Qt::NoModifier, text);
    }
    return QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
}

void CheckShape(const std::string& T, char Sep, const std::string& Keys)
{
    std::size_t seps = 0, exps = 0;
    int expAt = -1;
    for (std::size_t i = 0; i < T.size(); ++i) {
        const char c = T[i];
        const bool sign = c == '+' || c == '-';
        FUZZ_CHECK((c >= '0' && c <= '9') || sign || c == 'E' || c == 'e' || c == Sep,
                   "typing let '" + fuzz::Printable(std::string(1, c)) + "' in: '" + fuzz::Printable(T) +
                       "' after " + Keys);
        if (c == Sep) ++seps;
        if (c == 'E' || c == 'e') {
            ++exps;
            expAt = int(i);
        }
        if (sign) FUZZ_CHECK(i == 0 || int(i) == expAt + 1, "a sign inside '" + fuzz::Printable(T) + "' after " + Keys);
    }
    FUZZ_CHECK(seps <= 1 && exps <= 1, "'" + fuzz::Printable(T) + "' after " + Keys);
}

void CheckTyping(const std::uint8_t* Data, std::size_t Size, char Sep)
{
    static const char kNumberKeys[] = "0123456789+-eEdD.,\b";
    TjtNumberEdit edit;
    edit.SetValueDefault(-7.25);
    int pressed = 0;
    char lastPressed = 0;
    edit.OnKeyPress = [&](QObject*, char& Key) {
        ++pressed;
        lastPressed = Key;
    };
    platform::FakeSystem& sys = static_cast<platform::FakeSystem&>(platform::system());
    std::string keys;  // for the report
    for (std::size_t i = 0; i + 1 < Size && keys.size() < 2000; i += 2) {
        const std::uint8_t kind = Data[i] % 4, arg = Data[i + 1];
        const std::string before = Text(edit);
        const int len = int(before.size());
        if (kind == 1) {
            edit.setCursorPosition(arg % (len + 1));
            keys += "|" + std::to_string(arg % (len + 1));
            continue;
        }
        if (kind == 2) {
            const int from = edit.cursorPosition();
            const int count = arg % (len - from + 1);
            edit.setSelection(from, count);
            keys += "[" + std::to_string(from) + "+" + std::to_string(count) + "]";
            continue;
        }
        char key = kind == 0 ? char(arg) : kNumberKeys[arg % (sizeof kNumberKeys - 1)];
        // The clipboard brings text the filter never sees; Enter and Escape
        // belong to the window; 127 is the Delete key, no character.
        if (key == 22 || key == 13 || key == 27 || key == 0 || key == 127) continue;
        keys += "'" + fuzz::Printable(std::string(1, key)) + "'";

        const int s = edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
        const int l = edit.hasSelectedText() ? int(edit.selectedText().size()) : 0;
        char expected = key;
        const bool accept = Accepts(expected, before, s, l, Sep);
        const int beeps = sys.Beeps;
        const int pressedBefore = pressed;
        QKeyEvent event = KeyFor(key);
        QCoreApplication::sendEvent(&edit, &event);
        FUZZ_CHECK(sys.Beeps - beeps == (accept ? 0 : 1), "key " + keys + " on '" + fuzz::Printable(before) +
                                                                "' (caret " + std::to_string(s) + ", selection " +
                                                                std::to_string(l) + ")" +
                                                                (accept ? " beeped" : " did not beep"));
        FUZZ_CHECK(pressed - pressedBefore == (accept ? 1 : 0), "OnKeyPress for " + keys);
        if (!accept) {
            FUZZ_CHECK(Text(edit) == before, "a refused key changed the text: " + keys);
            continue;
        }
        FUZZ_CHECK(lastPressed == expected, "OnKeyPress saw another character: " + keys);
        const unsigned char u = static_cast<unsigned char>(expected);
        if (u >= 32) {
            const std::string want = before.substr(0, size_t(s)) + expected + before.substr(size_t(s + l));
            FUZZ_CHECK(Text(edit) == want || int(want.size()) > edit.maxLength(),
                       "typing " + keys + " gave '" + fuzz::Printable(Text(edit)) + "', not '" +
                           fuzz::Printable(want) + "'");
        }
        const std::string now = Text(edit);
        CheckShape(now, Sep, keys);
        double v = 0;
        const double read = edit.Value();
        if (now.empty()) FUZZ_CHECK(read == -7.25, "empty text reads " + std::to_string(read));
        else if (Readable(now, Sep, v)) FUZZ_CHECK(read == v || (std::isnan(read) && std::isnan(v)), "value of '" + now + "'");
        else FUZZ_CHECK(read == -7.25, "unreadable '" + fuzz::Printable(now) + "' reads " + std::to_string(read));
    }
}

// ---------------------------------------------------------------- clamping

// With a range and LimitValue, typed keys, wheel turns and steps: whatever
// happens, a readable text reads as a value inside the range, and the
// clamping that rewrites the text inside its own change event comes to an end.
void CheckClamping(const std::uint8_t* Data, std::size_t Size, char Sep)
{
    if (Size < 3) return;
    static const double kBounds[] = {-1000, -1, -0.5, 0, 0.0001, 1, 5, 99.5, 1000, 1e6};
    double lo = kBounds[Data[0] % 10], hi = kBounds[Data[1] % 10];
    TjtNumberEdit edit;
    edit.SetValueMin(lo);
    edit.SetValueMax(hi);
    const bool range = lo != hi;
    edit.SetValueDefault(kBounds[Data[2] % 10]);
    edit.SetPrecision(Data[2] % 20);
    edit.SetLimitValue(true);
    int changes = 0;
    edit.OnChange = [&](QObject*) { ++changes; };
    // The clamped value is written with the precision, so a bound that has
    // more digits than that is reached as written (99.5 with 2 digits is
    // 1E2): the promise is the range of the bounds as written.
    auto written = [&](double B) {
        double w = 0;
        return Readable(jt::FormatGeneral(B, Data[2] % 20, Sep), Sep, w) ? w : B;
    };
    lo = written(lo);
    hi = written(hi);
    // With ValueMin > ValueMax every value ends as ValueMax.
    const double low = lo <= hi ? lo : hi;
    static const char kNumberKeys[] = "0123456789+-eE.,\b";
    for (std::size_t i = 3; i + 1 < Size && i < 600; i += 2) {
        const std::uint8_t kind = Data[i] % 4, arg = Data[i + 1];
        changes = 0;
        if (kind == 0) {
            QKeyEvent event = KeyFor(kNumberKeys[arg % (sizeof kNumberKeys - 1)]);
            QCoreApplication::sendEvent(&edit, &event);
        } else if (kind == 1) {
            const platform::Modifiers m{bool(arg & 1), bool(arg & 2), bool(arg & 4)};
            edit.StepValue(int(arg >> 3) - 16, m);
        } else if (kind == 2) {
            const Qt::KeyboardModifiers m = (arg & 1 ? Qt::ShiftModifier : Qt::NoModifier) |
                                            (arg & 2 ? Qt::ControlModifier : Qt::NoModifier);
            QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, (int(arg) - 128) * 8), Qt::NoButton, m,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(&edit, &wheel);
        } else {
            edit.setCursorPosition(arg % (int(Text(edit).size()) + 1));
        }
        FUZZ_CHECK(changes < 10, std::to_string(changes) + " change events for one action");
        const std::string now = Text(edit);
        double v = 0;
        if (!now.empty() && Readable(now, Sep, v)) {
            const double read = edit.Value();
            FUZZ_CHECK(!range || (read >= low - 1e-9 * std::fabs(low) && read <= hi + 1e-9 * std::fabs(hi)) ||
                           (lo > hi && read == hi),
                       "'" + now + "' reads " + std::to_string(read) + " outside " + std::to_string(lo) + ".." +
                           std::to_string(hi));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv)
{
    fuzz::InitWidgets(Argc, Argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 1) return 0;
    fuzz::QuietPlatform quiet;
    const int precision = Data[0] % 20;
    const char sep = (Data[0] & 0x80) ? ',' : '.';
    quiet.System.Separator = sep;
    const std::string text(reinterpret_cast<const char*>(Data + 1), Size - 1);
    CheckFormatting(text, precision, sep);
    CheckTyping(Data + 1, Size - 1, sep);
    CheckClamping(Data + 1, Size - 1, sep);
    return 0;
}
