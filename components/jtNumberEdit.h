#pragma once
// TjtNumberEdit: a single-line edit that holds one floating-point number.
// It filters typed characters, reads the number from the text on every
// access, marks unreadable or out-of-range text with a font colour (or clamps
// it into the range), writes values with a fixed number of significant
// digits and steps the value with the mouse wheel.

#include "components/jtComponent.h"
#include "platform/Platform.h"

#include <QLineEdit>

#include <cstdint>
#include <functional>
#include <string>

class QInputMethodEvent;
class QKeyEvent;
class QWheelEvent;

// A key press event: Key is the typed character and may be changed or set
// to the null character to drop it.
using TKeyPressEvent = std::function<void(QObject* Sender, char& Key)>;

class TjtNumberEdit : public QLineEdit {
public:
    explicit TjtNumberEdit(QWidget* Parent = nullptr);
    ~TjtNumberEdit() override = default;

    // ------------------------------------------------------------ properties
    double ValueMin() const { return valueMin_; }
    virtual void SetValueMin(double V) { valueMin_ = V; }
    double ValueMax() const { return valueMax_; }
    virtual void SetValueMax(double V) { valueMax_ = V; }
    double ValueDefault() const { return valueDefault_; }
    virtual void SetValueDefault(double V) { valueDefault_ = V; }

    // Reading parses the text (and may recolour the font or, with
    // LimitValue, rewrite the text); writing formats the text.
    virtual double Value();
    virtual void SetValue(double X);
    // The value rounded to the nearest integer, ties to the even one; values
    // beyond the 32-bit range give the nearer end of it.
    std::int32_t AsInt();
    void SetAsInt(std::int32_t V) { SetValue(double(V)); }
    double AsDouble() { return Value(); }
    void SetAsDouble(double V) { SetValue(V); }

    int Precision() const { return precision_; }
    virtual void SetPrecision(int V) { precision_ = V; }

    TColor ColorWhenReadOnly() const { return colorWhenReadOnly_; }
    virtual void SetColorWhenReadOnly(TColor V);
    TColor ColorWhenReadWrite() const { return colorWhenReadWrite_; }
    virtual void SetColorWhenReadWrite(TColor V);
    TColor ColorOfErrors() const { return colorOfErrors_; }
    virtual void SetColorOfErrors(TColor V);
    TColor ColorOfFont() const { return colorOfFont_; }
    virtual void SetColorOfFont(TColor V);

    bool ReadOnly() const { return isReadOnly(); }
    virtual void SetReadOnly(bool V);
    bool LimitValue() const { return limitValue_; }
    virtual void SetLimitValue(bool V);
    bool DisableMouseWheel() const { return disableMouseWheel_; }
    virtual void SetDisableMouseWheel(bool V) { disableMouseWheel_ = V; }

    int Width() const { return width(); }
    void SetWidth(int V) { resize(V, height()); }

    // The colours currently applied to the text and the background.
    TColor FontColor() const { return fontColor_; }
    TColor BackgroundColor() const { return backgroundColor_; }

    // ------------------------------------------------------------ operations
    // Decides whether a typed character is accepted; may change it ("d"
    // becomes "E").
    virtual bool IsValidKey(char& Key);
    // Adds Count steps to the value; the step (1, 10, 100, 1000, or 0.1 down
    // to 0.0001 with Alt) comes from the modifier keys.
    void StepValue(int Count, platform::Modifiers Shift);
    static double StepSize(platform::Modifiers Shift);
    // The vertical wheel delta of a wheel event. Qt turns the wheel into a
    // horizontal one while Alt is held, and Alt chooses the fine steps here.
    static int WheelDelta(const QWheelEvent* Event);

    bool IsInRange();
    void UpdateFontColor();
    void CheckValue();
    void ClampValue();

    // ------------------------------------------------------------ lifecycle
    bool Loading() const { return loading_; }
    void SetLoading(bool V) { loading_ = V; }
    bool DesignMode() const { return designMode_; }
    void SetDesignMode(bool V) { designMode_ = V; }
    // Runs once the stored properties have been applied: a text that still
    // holds the control's name is replaced by the default value.
    virtual void Loaded();

    // ------------------------------------------------------------ events
    TNotifyEvent OnChange;
    TKeyPressEvent OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void inputMethodEvent(QInputMethodEvent* Event) override;
    // The text changed: OnChange, then the font colour.
    virtual void Change();

    // The text as 8-bit characters.
    std::string Text8() const;
    void SetText8(const std::string& V);
    void ApplyFontColor(TColor C);
    void ApplyBackgroundColor(TColor C);

private:
    // The character a key event types, or -1 when it types none (arrows,
    // Delete, function keys).
    static int TypedCharacter(const QKeyEvent* Event);
    void HandleTypedCharacter(QKeyEvent* Event, char Key);

    double valueMin_ = 0;
    double valueMax_ = 0;
    double valueDefault_ = 0;
    int precision_ = 8;
    TColor colorWhenReadOnly_ = clBtnFace;
    TColor colorWhenReadWrite_ = clWindow;
    TColor colorOfErrors_ = clRed;
    TColor colorOfFont_ = clWindowText;
    bool limitValue_ = false;
    bool disableMouseWheel_ = false;
    bool checking_ = false;  // CheckValue is running (stops its recursion)
    bool loading_ = false;
    bool designMode_ = false;
    TColor fontColor_ = clWindowText;
    TColor backgroundColor_ = clWindow;
};
