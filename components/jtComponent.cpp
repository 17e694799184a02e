#include "components/jtComponent.h"

#include <QGuiApplication>
#include <QPalette>

QColor ToQColor(TColor Color)
{
    if (Color & 0x80000000u) {
        const QPalette pal = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
        switch (Color & 0xFF) {
        case 5: return pal.color(QPalette::Base);
        case 8: return pal.color(QPalette::Text);
        case 15: return pal.color(QPalette::Button);
        default: return pal.color(QPalette::Window);
        }
    }
    return QColor(int(Color & 0xFF), int((Color >> 8) & 0xFF), int((Color >> 16) & 0xFF));
}

TColor FromQColor(const QColor& Color)
{
    return TColor(Color.red()) | (TColor(Color.green()) << 8) | (TColor(Color.blue()) << 16);
}
