#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

struct SystemEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Index of the desktop colour table -> the palette entry that plays its part.
bool SystemEntryOf(int index, SystemEntry& entry) {
    using P = QPalette;
    static const SystemEntry table[] = {
        {P::Active, P::Button},           // 0 scroll bar
        {P::Active, P::Window},           // 1 desktop
        {P::Active, P::Highlight},        // 2 active caption
        {P::Inactive, P::Button},         // 3 inactive caption
        {P::Active, P::Window},           // 4 menu
        {P::Active, P::Base},             // 5 window
        {P::Active, P::Shadow},           // 6 window frame
        {P::Active, P::WindowText},       // 7 menu text
        {P::Active, P::Text},             // 8 window text
        {P::Active, P::HighlightedText},  // 9 caption text
        {P::Active, P::Button},           // 10 active border
        {P::Inactive, P::Button},         // 11 inactive border
        {P::Active, P::Dark},             // 12 application workspace
        {P::Active, P::Highlight},        // 13 highlight
        {P::Active, P::HighlightedText},  // 14 highlight text
        {P::Active, P::Button},           // 15 button face
        {P::Active, P::Dark},             // 16 button shadow
        {P::Disabled, P::Text},           // 17 grey text
        {P::Active, P::ButtonText},       // 18 button text
        {P::Inactive, P::WindowText},     // 19 inactive caption text
        {P::Active, P::Light},            // 20 button highlight
        {P::Active, P::Shadow},           // 21 3-D dark shadow
        {P::Active, P::Midlight},         // 22 3-D light
        {P::Active, P::ToolTipText},      // 23 info text
        {P::Active, P::ToolTipBase},      // 24 info background
        {P::Active, P::Window},           // 25 unused
        {P::Active, P::Link},             // 26 hot light
        {P::Active, P::Highlight},        // 27 gradient active caption
        {P::Inactive, P::Button},         // 28 gradient inactive caption
        {P::Active, P::Highlight},        // 29 menu highlight
        {P::Active, P::Window},           // 30 menu bar
    };
    if (index < 0 || index >= int(std::size(table))) return false;
    entry = table[index];
    return true;
}

}  // namespace

QColor ColorToQColor(TColor color) {
    if (IsSystemColor(color)) {
        SystemEntry entry{};
        if (!SystemEntryOf(int(color & 0xFFFFFF), entry)) return QColor(Qt::black);
        return QGuiApplication::palette().color(entry.group, entry.role);
    }
    return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

QRgb ColorToRgb(TColor color) {
    if (IsSystemColor(color)) return ColorToQColor(color).rgb();
    return qRgb(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

TColor ColorFromQColor(const QColor& color) {
    return RGBColor(color.red(), color.green(), color.blue());
}
