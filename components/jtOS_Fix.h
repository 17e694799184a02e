#pragma once
// Keeps a window out of the system's display scaling. On Vista and later
// (the system reports major version 6 or more) the window's automatic scaling
// from the designed 96 pixels per inch is switched off while its controls
// are built, so that it keeps the pixel layout it was designed with, and its
// font "MS Sans Serif" becomes "microsoft sans serif". On every system the
// component carries the window's auto-scroll flag through loading and hands
// it back afterwards.

#include "components/jtComponent.h"
#include "components/jtForm.h"

class TjtVistaSucks : public TComponent {
public:
    // AOwner must be a form (IForm); anything else, no owner included, is
    // refused with EInvalidCast "Invalid class typecast".
    explicit TjtVistaSucks(QObject* AOwner);

    // The owning form.
    IForm* Form;
    // The form's scaling flag as construction found it (recorded only on
    // Vista and later).
    bool SavedScaled = false;

    // Reading moves a set auto-scroll flag from the form to the component:
    // the form is stored with auto-scroll off, the component carries it.
    bool AutoScroll();
    void SetAutoScroll(bool V) { autoScroll_ = V; }

    bool AllowVistaScaling() const { return allowVistaScaling_; }
    // True gives the form back the scaling flag it had at construction.
    void SetAllowVistaScaling(bool V);

    void Loaded() override;

    // Asked afresh each time: the system reports major version 6 or more.
    static bool VistaOrLater();

private:
    bool autoScroll_ = false;
    bool allowVistaScaling_ = false;
};
