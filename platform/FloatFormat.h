// The general float format of the program's texts and profile files: writes
// and reads real numbers with a given decimal separator.
#pragma once

#include <QChar>
#include <QString>

// At most 15 significant digits, no trailing zeros; scientific notation
// ("1.5E-10", "1E300") outside the fixed range. NaN and infinities are
// written "NAN", "INF", "-INF".
QString FloatToStr(double value, QChar decimalSeparator);
// Reads an optional sign, digits with the decimal separator and an optional
// exponent, surrounded by blanks; NaN, infinities, overflow and any other
// text fail.
bool TryStrToFloat(const QString& text, double& result, QChar decimalSeparator);
