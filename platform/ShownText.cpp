#include "platform/ShownText.h"

QString ShownText(const QString& text) {
    if (text.size() <= MaxShownTextLength) return text;
    qsizetype cut = MaxShownTextLength;
    if (text.at(cut - 1).isHighSurrogate()) --cut;
    return text.left(cut) + ShownTextMore;
}
