#pragma once
// Where the year, skew-T and indices windows open: where the user left them
// (kept in the user's configuration folder beside the recent stations, never
// in the program's settings file), else beside the main window where the
// screen has room for them, so that they do not cover its chart; and the
// captions they carry.

#include <QRect>
#include <QSize>

#include <optional>
#include <string>

class QWidget;

namespace app {

// $XDG_CONFIG_HOME/profilora/windows.ini (by default ~/.config/profilora/).
std::string WindowPlacesFile();

// The kept frame (top left of the frame, size of the window) of the window
// named Name; nothing when none is kept or the file does not read.
std::optional<QRect> KeptPlace(const std::string& Name);
// Keeps the place of Window under its object name. A place that cannot be
// written costs nothing but the place.
void KeepPlace(const QWidget& Window);
// Puts Window at its kept place when that lies on a screen (moved onto it
// where it sticks out); false, with Window untouched, when none is kept or
// the place is off every screen.
bool RestorePlace(QWidget& Window);
// An on/off choice kept in the same file (under "Options"): Default when
// none is kept or the file does not read.
bool KeptOption(const std::string& Name, bool Default);
void KeepOption(const std::string& Name, bool Value);
// Keeps Window's place each time it is closed.
void KeepPlaceOnClose(QWidget& Window);

// Sides of the main window to try, in order of preference.
enum class TSideOrder { RightFirst, BelowFirst };

// A frame of Size (no smaller than Minimum) for a new window beside Main on
// Available: right, left, below or above Main where it fits whole (in the
// order asked for); else on the side that holds most of it, narrowed to the
// room there down to Minimum; else against the screen's edge farthest from
// Main's left, where its chart is. Always within Available.
QRect PlaceBesideMain(QRect Main, QSize Size, QSize Minimum, QRect Available, TSideOrder Order);
// Window resized and moved so, beside Main on Main's screen.
void PlaceBesideMain(QWidget& Window, const QWidget& Main, QSize Size, TSideOrder Order);

// "Window - launch - name": the window's own caption, the launch on show
// and what the main window's caption names (files, "+ N more", the date
// range, the station); parts that are empty are left out.
std::string LaunchCaption(const std::string& Window, const std::string& Name, const std::string& Launch);

}  // namespace app
