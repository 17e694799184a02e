#pragma once
// Where the main window places its controls at its designed size (862 x 480)
// and which edges each follows when the window is resized. The window builds
// its controls from this table; the tests check the built window against it.

#include "app/Controls.h"

#include <span>

namespace app {

struct TControlPlace {
    const char* Name;  // the control's objectName
    int Left, Top, Width, Height;
    TAnchors Anchors;
    int Tag;  // -1: none
};

// Every anchored control except the status bar (it spans the window's width).
std::span<const TControlPlace> WindowLayout();
// The row of the control named Name; throws std::out_of_range for a name
// the table does not have.
const TControlPlace& PlaceOf(const char* Name);

}  // namespace app
