// Rich text in RTF form, between a stored string and a QTextDocument. The day
// notes are kept as RTF; the reader takes what ordinary word processors write,
// the writer produces plain RTF 1.5 that they all show alike.
#pragma once

#include <QString>
#include <QStringView>

class QTextDocument;

// Replaces the content of `document` with the RTF in `text`. Text that is not
// RTF (it does not open with "{\rtf") is loaded as plain text, and false is
// returned; true when the text was read as RTF, also when it was damaged and
// only the part that could be read was kept.
bool ReadRtf(QStringView text, QTextDocument& document);

// The document as RTF: ASCII only, lines separated by "\n".
QString WriteRtf(const QTextDocument& document);
