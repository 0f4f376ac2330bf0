#include "platform/FloatFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

QString FloatToStr(double value, QChar decimalSeparator) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0) return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);  // d.dddddddddddddde[+-]x
    std::string s(buf);
    const bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    const size_t ePos = s.find('e');
    const int exponent = std::stoi(s.substr(ePos + 1));
    std::string digits = s.substr(0, 1) + s.substr(2, ePos - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out;
    const std::string sep = QString(decimalSeparator).toStdString();
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out = "0" + sep + std::string(-exponent - 1, '0') + digits;
        } else if (static_cast<int>(digits.size()) <= exponent + 1) {
            out = digits + std::string(exponent + 1 - digits.size(), '0');
        } else {
            out = digits.substr(0, exponent + 1) + sep + digits.substr(exponent + 1);
        }
    } else {
        out = digits.substr(0, 1);
        if (digits.size() > 1) out += sep + digits.substr(1);
        out += "E" + std::to_string(exponent);
    }
    return QString::fromStdString((negative ? "-" : "") + out);
}

bool TryStrToFloat(const QString& text, double& result, QChar decimalSeparator) {
    const QString t = text.trimmed();
    std::string ascii;
    ascii.reserve(t.size());
    bool seenDigit = false, seenPoint = false, seenExp = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        const bool signAllowed = i == 0 || (seenExp && (t[i - 1] == u'e' || t[i - 1] == u'E'));
        if (c.unicode() < 128 && c.isDigit()) {
            seenDigit = true;
            ascii += static_cast<char>(c.unicode());
        } else if ((c == u'+' || c == u'-') && signAllowed) {
            if (c == u'-') ascii += '-';
        } else if (c == decimalSeparator && !seenPoint && !seenExp) {
            seenPoint = true;
            ascii += '.';
        } else if ((c == u'e' || c == u'E') && seenDigit && !seenExp) {
            seenExp = true;
            ascii += 'e';
        } else {
            return false;
        }
    }
    if (!seenDigit || ascii.back() == 'e' || ascii.back() == '-') return false;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (ec != std::errc() || ptr != ascii.data() + ascii.size() || !std::isfinite(v)) return false;
    result = v;
    return true;
}
