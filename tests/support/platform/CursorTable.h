#pragma once
// The cursor table is one for the whole program. A test that needs it empty
// gives every index the default cursor again: an index holding the default
// cursor counts as free, exactly as one never used.

#include "platform/Cursors.h"

namespace platform {

inline void FreeEveryCursorIndex()
{
    for (int i = 1; i <= MaxCursorIndex; ++i) SetCursorAt(i, QCursor());
}

}  // namespace platform
