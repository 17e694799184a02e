#pragma once
// The component framework: a non-visual component has an owner that destroys
// it, a name, and an after-load hook that runs once the window has given it
// its stored properties (the values set while the window is built). Components are QObjects: the owner is the parent,
// the name is the objectName.

#include <QObject>

#include <string>

class TComponent : public QObject {
public:
    explicit TComponent(QObject* AOwner) : QObject(AOwner) {}
    ~TComponent() override = default;

    std::string Name() const { return objectName().toStdString(); }
    void SetName(const std::string& V) { setObjectName(QString::fromStdString(V)); }
    QObject* Owner() const { return parent(); }

    // True while the owner gives the component its stored properties.
    bool Loading() const { return loading_; }
    void SetLoading(bool V) { loading_ = V; }
    // Hosted by a visual form designer; never so at run time.
    bool DesignMode() const { return designMode_; }
    void SetDesignMode(bool V) { designMode_ = V; }

    // Runs once the owner has applied the stored properties.
    virtual void Loaded() { loading_ = false; }

private:
    bool loading_ = false;
    bool designMode_ = false;
};

#include <QColor>

#include <cstdint>
#include <functional>

// A notify event: Sender is the component or control that raises it.
using TNotifyEvent = std::function<void(QObject* Sender)>;

// A colour: $00bbggrr for a plain colour (255 is pure red); with the top bit
// set, a system colour named by the index in its low byte.
using TColor = std::uint32_t;
constexpr TColor clRed = 0x000000FF;
constexpr TColor clBlack = 0x00000000;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnFace = 0x8000000F;

// The toolkit colour of a colour value; system colours come from the palette.
QColor ToQColor(TColor Color);
TColor FromQColor(const QColor& Color);
