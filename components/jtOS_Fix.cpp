#include "components/jtOS_Fix.h"

#include "components/jtCommon.h"
#include "components/jtSysUtils.h"
#include "platform/Platform.h"

#include <algorithm>

namespace {

IForm* FormOf(QObject* Owner)
{
    IForm* F = dynamic_cast<IForm*>(Owner);
    if (!F)
        throw EInvalidCast("Invalid class typecast");
    return F;
}

}  // namespace

TjtVistaSucks::TjtVistaSucks(QObject* AOwner) : TComponent(AOwner), Form(FormOf(AOwner))
{
    // The form applies its scaling only after all its controls are built;
    // switching it off now keeps it from being rescaled at all.
    if (!DesignMode() && VistaOrLater()) {
        SavedScaled = Form->Scaled();
        Form->SetScaled(false);
        Form->SetAutoScroll(false);
    }
}

bool TjtVistaSucks::VistaOrLater()
{
    return platform::system().OSMajorVersion() >= 6;
}

bool TjtVistaSucks::AutoScroll()
{
    if (Form->AutoScroll()) {
        autoScroll_ = true;
        Form->SetAutoScroll(false);
    }
    return autoScroll_;
}

void TjtVistaSucks::SetAllowVistaScaling(bool V)
{
    allowVistaScaling_ = V;
    if (!DesignMode() && VistaOrLater() && V)
        Form->SetScaled(SavedScaled);
}

void TjtVistaSucks::Loaded()
{
    TComponent::Loaded();
    if (DesignMode()) {
        if (Form->AutoScroll()) {
            autoScroll_ = true;
            Form->SetAutoScroll(false);
        }
        return;
    }
    Form->SetAutoScroll(autoScroll_);
    if (VistaOrLater() && (!allowVistaScaling_ || !Form->Scaled())) {
        if (jt::SameTextAZ(Form->FontName(), "ms sans serif"))
            Form->SetFontName("microsoft sans serif");
    }
}
