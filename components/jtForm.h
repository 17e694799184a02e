#pragma once
// What components may ask of the window (form) that owns them: its scaling
// and auto-scroll flags and its font name. The main window implements it.

#include <string>

class IForm {
public:
    virtual ~IForm() = default;
    // Scale the designed (96 pixels per inch) geometry to the screen's
    // logical resolution once the window has been built.
    virtual bool Scaled() const = 0;
    virtual void SetScaled(bool V) = 0;
    // The window scrolls its client area when it is smaller than its controls.
    virtual bool AutoScroll() const = 0;
    virtual void SetAutoScroll(bool V) = 0;
    virtual std::string FontName() const = 0;
    virtual void SetFontName(const std::string& V) = 0;
};
