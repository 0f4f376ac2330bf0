// Stored text as a widget shows it. Text from the database may be of any
// length (another program may have written it), and laying out megabytes in
// one line takes Qt many seconds; widgets therefore show a bounded prefix.
#pragma once

#include <QString>

// The most UTF-16 units of a text that a widget is given: far more than a
// row or a notes field is read for, yet laid out in some milliseconds (the
// cost grows faster than the length; four times this takes ten times long).
constexpr qsizetype MaxShownTextLength = 16 * 1024;
// Marks that a shown text goes on beyond what is shown.
inline constexpr QChar ShownTextMore = QChar(0x2026);  // "…"

// The text itself when short enough, else its first MaxShownTextLength units
// (one less rather than half a surrogate pair) and ShownTextMore. Only for
// showing: the record keeps its text whole.
QString ShownText(const QString& text);
