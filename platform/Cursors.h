#pragma once
// The program's cursor table: index 0 is the default cursor, and an index
// without a cursor of its own yields it. Controls register their own cursors
// at free indices and set them by index. Also builds the cursors that the
// program carries as resources.

#include <QCursor>

#include <string>

namespace platform {

// The highest index a registered cursor may use.
constexpr int MaxCursorIndex = 6000;

// The cursor at Index; the default cursor for index 0, for an index without
// a cursor of its own and for an index outside 0..MaxCursorIndex.
QCursor CursorAt(int Index);
// Stores Cursor at Index (1..MaxCursorIndex; other indices are ignored).
void SetCursorAt(int Index, const QCursor& Cursor);
// True when the cursor at Index is the default cursor.
bool IsDefaultCursorAt(int Index);

// A cursor from the program's resources by name ("IDC_VSliderCursor"); the
// default cursor for an unknown name.
QCursor LoadCursorResource(const std::string& Name);
// "IDC_VSliderCursor": a 32 x 32 two-colour cursor, a horizontal bar with an
// arrow head above and one below, hot spot (14, 11).
QCursor VSliderCursor();

}  // namespace platform
