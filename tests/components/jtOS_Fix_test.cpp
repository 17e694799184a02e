#include "components/jtOS_Fix.h"

#include "components/jtSysUtils.h"
#include "platform/Fakes.h"

#include <gtest/gtest.h>

#include <QPointer>

#include <memory>

namespace {

// A window that only records its flags and font.
class FakeForm : public QObject, public IForm {
public:
    bool scaled = true;
    bool autoScroll = false;
    std::string fontName = "MS Sans Serif";
    int scaledWrites = 0;

    bool Scaled() const override { return scaled; }
    void SetScaled(bool V) override { scaled = V; ++scaledWrites; }
    bool AutoScroll() const override { return autoScroll; }
    void SetAutoScroll(bool V) override { autoScroll = V; }
    std::string FontName() const override { return fontName; }
    void SetFontName(const std::string& V) override { fontName = V; }
};

class VistaSucks : public ::testing::Test {
protected:
    // The main window's way: the component is created while the window's
    // description is read, receives its stored properties, then finishes
    // loading.
    TjtVistaSucks* Load(FakeForm& Form, bool AllowVistaScaling, bool AutoScroll)
    {
        auto* C = new TjtVistaSucks(&Form);
        C->SetLoading(true);
        C->SetAllowVistaScaling(AllowVistaScaling);
        C->SetAutoScroll(AutoScroll);
        C->Loaded();
        return C;
    }

    platform::FakeSystem System;
    platform::ScopedPlatform Guard{nullptr, &System, nullptr};
};

struct ScalingCase {
    const char* Name;
    int Version;
    bool Allow;
    bool ScaledBefore;
    bool ScaledAfter;
    const char* FontAfter;
};

TEST_F(VistaSucks, scalingAndFontFollowTheSystemVersion)
{
    const ScalingCase Cases[] = {
        {"before Vista: scaled as usual", 5, false, true, true, "MS Sans Serif"},
        {"before Vista, form not scaled", 5, false, false, false, "MS Sans Serif"},
        {"before Vista, scaling allowed", 5, true, true, true, "MS Sans Serif"},
        {"Vista: scaling off, font replaced", 6, false, true, false, "microsoft sans serif"},
        {"Vista, allowed and scaled: untouched", 6, true, true, true, "MS Sans Serif"},
        {"Vista, allowed, form not scaled: font replaced", 6, true, false, false, "microsoft sans serif"},
        {"later versions count as Vista", 10, false, true, false, "microsoft sans serif"},
    };
    for (const ScalingCase& C : Cases) {
        System.MajorVersion = C.Version;
        FakeForm Form;
        Form.scaled = C.ScaledBefore;
        Form.autoScroll = false;
        TjtVistaSucks* V = Load(Form, C.Allow, true);
        EXPECT_EQ(Form.scaled, C.ScaledAfter) << C.Name;
        EXPECT_EQ(Form.fontName, C.FontAfter) << C.Name;
        EXPECT_TRUE(Form.autoScroll) << C.Name << ": auto-scroll handed back after loading";
        EXPECT_FALSE(V->Loading()) << C.Name;
        if (C.Version >= 6)
            EXPECT_EQ(V->SavedScaled, C.ScaledBefore) << C.Name;
        else
            EXPECT_EQ(Form.scaledWrites, 0) << C.Name << ": nothing recorded or changed before Vista";
    }
}

TEST_F(VistaSucks, onlyTheOneFontNameIsReplacedInAnyLetterCase)
{
    const std::pair<const char*, const char*> Cases[] = {
        {"MS Sans Serif", "microsoft sans serif"}, {"ms sans serif", "microsoft sans serif"},
        {"MS SANS SERIF", "microsoft sans serif"}, {"mS sAnS sErIf", "microsoft sans serif"},
        {"Arial", "Arial"},                         {"MS Sans Serif ", "MS Sans Serif "},
        {"Microsoft Sans Serif", "Microsoft Sans Serif"}, {"MS Serif", "MS Serif"},
        {"", ""},
    };
    System.MajorVersion = 6;
    for (auto [Before, After] : Cases) {
        FakeForm Form;
        Form.fontName = Before;
        Load(Form, false, true);
        EXPECT_EQ(Form.fontName, After) << '"' << Before << '"';
    }
}

TEST_F(VistaSucks, constructionOnVistaSwitchesScalingAndAutoScrollOff)
{
    System.MajorVersion = 6;
    FakeForm Form;
    Form.scaled = true;
    Form.autoScroll = true;
    TjtVistaSucks V(&Form);
    EXPECT_EQ(V.Form, static_cast<IForm*>(&Form));
    EXPECT_EQ(V.Owner(), &Form);
    EXPECT_TRUE(V.SavedScaled);
    EXPECT_FALSE(Form.scaled);
    EXPECT_FALSE(Form.autoScroll);

    // Allowing scaling gives the recorded flag back; disallowing changes
    // nothing.
    V.SetAllowVistaScaling(false);
    EXPECT_FALSE(Form.scaled);
    V.SetAllowVistaScaling(true);
    EXPECT_TRUE(Form.scaled);
    EXPECT_TRUE(V.AllowVistaScaling());
    Form.scaled = false;
    V.SetAllowVistaScaling(false);
    EXPECT_FALSE(Form.scaled);
    EXPECT_FALSE(V.AllowVistaScaling());
}

TEST_F(VistaSucks, theSystemVersionIsAskedAfreshEachTime)
{
    System.MajorVersion = 5;
    FakeForm Form;
    TjtVistaSucks V(&Form);
    EXPECT_TRUE(Form.scaled);
    System.MajorVersion = 6;
    V.Loaded();
    EXPECT_EQ(Form.fontName, "microsoft sans serif");
    System.MajorVersion = 5;
    EXPECT_FALSE(TjtVistaSucks::VistaOrLater());
}

TEST_F(VistaSucks, autoScrollGetterMovesTheFlagFromFormToComponent)
{
    System.MajorVersion = 5;
    struct Case {
        bool Form, Component, Read, FormAfter;
    };
    const Case Cases[] = {
        {true, false, true, false},
        {true, true, true, false},
        {false, true, true, false},
        {false, false, false, false},
    };
    for (const Case& C : Cases) {
        FakeForm Form;
        TjtVistaSucks V(&Form);
        Form.autoScroll = C.Form;
        V.SetAutoScroll(C.Component);
        EXPECT_EQ(V.AutoScroll(), C.Read) << C.Form << C.Component;
        EXPECT_EQ(Form.autoScroll, C.FormAfter) << C.Form << C.Component;
        // The component keeps it: after loading the form has it again.
        V.Loaded();
        EXPECT_EQ(Form.autoScroll, C.Read) << C.Form << C.Component;
    }
}

TEST_F(VistaSucks, autoScrollOffIsHandedBackToo)
{
    for (int Version : {5, 6}) {
        System.MajorVersion = Version;
        FakeForm Form;
        Form.autoScroll = true;  // the component's stored value wins
        Load(Form, false, false);
        EXPECT_FALSE(Form.autoScroll) << Version;
    }
}

TEST_F(VistaSucks, inDesignModeLoadingOnlyTakesOverAutoScroll)
{
    System.MajorVersion = 6;
    FakeForm Form;
    TjtVistaSucks V(&Form);
    Form.scaled = true;
    Form.autoScroll = true;
    V.SetDesignMode(true);
    V.SetAllowVistaScaling(true);  // no effect on the form in design mode
    Form.scaled = true;
    V.SetAutoScroll(false);
    V.Loaded();
    EXPECT_FALSE(Form.autoScroll);
    EXPECT_TRUE(V.AutoScroll());
    EXPECT_TRUE(Form.scaled);
    EXPECT_EQ(Form.fontName, "MS Sans Serif");
}

TEST_F(VistaSucks, anOwnerThatIsNotAFormIsRefused)
{
    QObject NotAForm;
    for (QObject* Owner : {&NotAForm, static_cast<QObject*>(nullptr)}) {
        try {
            TjtVistaSucks V(Owner);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidCast& E) {
            EXPECT_EQ(E.Message(), "Invalid class typecast");
        }
    }
    EXPECT_TRUE(NotAForm.children().isEmpty());  // nothing left behind
}

TEST_F(VistaSucks, theFormDestroysItsComponent)
{
    QPointer<TjtVistaSucks> V;
    {
        FakeForm Form;
        V = new TjtVistaSucks(&Form);
    }
    EXPECT_TRUE(V.isNull());
}

}  // namespace
