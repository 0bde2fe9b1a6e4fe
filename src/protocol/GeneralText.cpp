#include "GeneralText.h"

#include <QLocale>
#include <cmath>

QString GeneralText(double value) {
    if (value == 0.0 || !std::isfinite(value)) {
        return QStringLiteral("0"); // never "-0"; nothing on the line can make an infinity
    }
    // 'g' with 15 significant digits already drops trailing zeros; our ranges never reach the
    // exponent form. Only the decimal separator follows the locale (no group separators).
    QString text = QString::number(value, 'g', 15);
    // A whole number has no separator: the locale (a look-up of the system's settings) is
    // asked only when there is one to replace.
    if (!text.contains(QLatin1Char('.'))) {
        return text;
    }
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String(".")) {
        text.replace(QLatin1Char('.'), point);
    }
    return text;
}
