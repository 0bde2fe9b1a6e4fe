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
    const QString point = QLocale().decimalPoint();
    if (point != QStringLiteral(".")) {
        text.replace(QLatin1Char('.'), point);
    }
    return text;
}
