#include "app/WindowPlaces.h"

#include "app/Controls.h"
#include "components/jtINI_Document.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"

#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace app {

namespace {

constexpr char kSection[] = "Window places";
constexpr char kOptions[] = "Options";

using TKeptLines = std::vector<std::pair<std::string, std::string>>;

// The lines of a section of the file: each window's name and
// "left,top,width,height", or each option's name and value.
TKeptLines KeptLines(const char* Section = kSection)
{
    std::vector<std::pair<std::string, std::string>> lines;
    std::string text;
    platform::FileError error;
    if (!platform::files().ReadAll(WindowPlacesFile(), text, error)) return lines;
    TjtINI_Document places;
    places.ParseWholeText(std::move(text));
    if (const T_jt_ini_Records* records = places.FindSection(Section))
        for (const T_jt_ini_Record& r : *records) lines.emplace_back(r.Key.str(), r.Value.str());
    return lines;
}

// A frame that can be kept: of a sensible size, not absurdly far off.
bool Sensible(const QRect& R)
{
    constexpr int kFar = 1000000;
    return R.width() >= 100 && R.height() >= 100 && R.width() < kFar && R.height() < kFar &&
           std::abs(R.left()) < kFar && std::abs(R.top()) < kFar;
}

class TPlaceKeeper : public QObject {
public:
    explicit TPlaceKeeper(QWidget& Window) : QObject(&Window) { setObjectName("PlaceKeeper"); }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Close && Watched == parent()) KeepPlace(*static_cast<const QWidget*>(Watched));
        return false;
    }
};

// Writes both sections anew; a file that cannot be written costs nothing but
// what it would keep.
void WriteKept(const TKeptLines& Places, const TKeptLines& Options)
{
    std::string text;
    for (const auto& [section, lines] : {std::pair{kSection, &Places}, std::pair{kOptions, &Options}}) {
        if (lines->empty()) continue;
        text += "[" + std::string(section) + "]\n";
        for (const auto& [name, value] : *lines) text += name + "=" + value + "\n";
    }
    const std::string path = WindowPlacesFile();
    platform::FileError ignored;
    if (QDir().mkpath(QString::fromLocal8Bit(platform::DirectoryOf(path).c_str())))
        platform::ReplaceFile(path, text, ignored);
}

}  // namespace

std::string WindowPlacesFile()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base = xdg && xdg[0] == '/' ? std::string(xdg)
                                            : std::string(std::getenv("HOME") ? std::getenv("HOME") : "") + "/.config";
    if (base.back() != '/') base += '/';
    return base + "profilora/windows.ini";
}

std::optional<QRect> KeptPlace(const std::string& Name)
{
    for (const auto& [name, value] : KeptLines()) {
        if (name != Name) continue;
        int x = 0, y = 0, w = 0, h = 0;
        char tail = 0;
        if (std::sscanf(value.c_str(), "%d,%d,%d,%d%c", &x, &y, &w, &h, &tail) != 4) return {};
        const QRect place(x, y, w, h);
        return Sensible(place) ? std::optional<QRect>(place) : std::nullopt;
    }
    return {};
}

void KeepPlace(const QWidget& Window)
{
    const std::string name = Window.objectName().toStdString();
    const QRect place(Window.frameGeometry().topLeft(), Window.size());
    if (name.empty() || !Sensible(place) || KeptPlace(name) == place) return;
    TKeptLines places;
    for (const auto& line : KeptLines())
        if (line.first != name) places.push_back(line);
    places.emplace_back(name, std::to_string(place.left()) + "," + std::to_string(place.top()) + "," +
                                  std::to_string(place.width()) + "," + std::to_string(place.height()));
    WriteKept(places, KeptLines(kOptions));
}

bool KeptOption(const std::string& Name, bool Default)
{
    for (const auto& [name, value] : KeptLines(kOptions))
        if (name == Name) return value == "1" ? true : value == "0" ? false : Default;
    return Default;
}

void KeepOption(const std::string& Name, bool Value)
{
    if (KeptOption(Name, !Value) == Value) return;
    TKeptLines options;
    for (const auto& line : KeptLines(kOptions))
        if (line.first != Name) options.push_back(line);
    options.emplace_back(Name, Value ? "1" : "0");
    WriteKept(KeptLines(), options);
}

bool RestorePlace(QWidget& Window)
{
    const std::optional<QRect> kept = KeptPlace(Window.objectName().toStdString());
    if (!kept) return false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect available = screen->availableGeometry();
        const QRect shown = available & *kept;
        // Enough of it to take hold of: else the screen it was on is gone.
        if (shown.width() < std::min(kept->width(), 100) || shown.height() < std::min(kept->height(), 50)) continue;
        const QSize size = kept->size().boundedTo(available.size()).expandedTo(Window.minimumSize());
        const QRect frame = FitOnScreen(QRect(kept->topLeft(), size), available);
        Window.resize(frame.size());
        Window.move(frame.topLeft());
        return true;
    }
    return false;
}

void KeepPlaceOnClose(QWidget& Window) { Window.installEventFilter(new TPlaceKeeper(Window)); }

QRect PlaceBesideMain(QRect Main, QSize Size, QSize Minimum, QRect Available, TSideOrder Order)
{
    Minimum = Minimum.boundedTo(Available.size());
    Size = Size.boundedTo(Available.size()).expandedTo(Minimum);
    const QRect& a = Available;
    enum Side { Right, Left, Below, Above };
    const std::array<Side, 4> sides =
        Order == TSideOrder::RightFirst ? std::array{Right, Left, Below, Above} : std::array{Below, Above, Right, Left};
    const auto room = [&](Side S) {
        switch (S) {
        case Right:
            return QRect(QPoint(Main.right() + 1, a.top()), a.bottomRight());
        case Left:
            return QRect(a.topLeft(), QPoint(Main.left() - 1, a.bottom()));
        case Below:
            return QRect(QPoint(a.left(), Main.bottom() + 1), a.bottomRight());
        default:
            return QRect(a.topLeft(), QPoint(a.right(), Main.top() - 1));
        }
    };
    // A frame of size S against Main on side Side, moved along Main's edge
    // onto the screen.
    const auto against = [&](Side S, QSize Frame) {
        const QRect r = room(S);
        const QPoint at = S == Right   ? QPoint(r.left(), Main.top())
                          : S == Left  ? QPoint(r.right() + 1 - Frame.width(), Main.top())
                          : S == Below ? QPoint(Main.left(), r.top())
                                       : QPoint(Main.left(), r.bottom() + 1 - Frame.height());
        return FitOnScreen(QRect(at, Frame), a);
    };
    for (const Side s : sides)
        if (room(s).width() >= Size.width() && room(s).height() >= Size.height()) return against(s, Size);
    std::optional<Side> best;
    QSize bestSize;
    for (const Side s : sides) {
        const QSize fits = Size.boundedTo(room(s).size());
        if (fits.width() < Minimum.width() || fits.height() < Minimum.height()) continue;
        if (!best || fits.width() * fits.height() > bestSize.width() * bestSize.height()) best = s, bestSize = fits;
    }
    if (best) return against(*best, bestSize);
    return FitOnScreen(QRect(QPoint(a.right() + 1 - Size.width(), Main.top()), Size), a);
}

void PlaceBesideMain(QWidget& Window, const QWidget& Main, QSize Size, TSideOrder Order)
{
    const QScreen* screen = Main.screen();
    if (!screen) return;
    // Never narrowed below three fifths of its size or what its controls need.
    const QSize minimum = Window.minimumSize().expandedTo(Window.minimumSizeHint()).expandedTo(Size * 0.6);
    const QRect frame = PlaceBesideMain(Main.frameGeometry(), Size, minimum, screen->availableGeometry(), Order);
    Window.resize(frame.size());
    Window.move(frame.topLeft());
}

std::string LaunchCaption(const std::string& Window, const std::string& Name, const std::string& Launch)
{
    std::string caption = Window;
    for (const std::string* part : {&Launch, &Name})
        if (!part->empty()) caption += " - " + *part;
    return caption;
}

}  // namespace app
