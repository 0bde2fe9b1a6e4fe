#include "FirmwareLabel.h"

int ImageIdFromLabel(const QString& text) {
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    if (dash < 2) {
        return 0;
    }
    QString label = text.left(dash);
    if (!label.startsWith(QLatin1Char('V'))) {
        return 0;
    }
    label.remove(0, 1);
    for (int i = 0; i < 3; ++i) {
        const qsizetype dot = label.indexOf(QLatin1Char('.'));
        if (dot < 0) {
            return 0;
        }
        label.remove(dot, 1);
    }
    bool ok = false;
    const int id = label.trimmed().toInt(&ok, 10);
    return ok && id > 0 ? id : 0;
}

int SignalCodeFromLabel(const QString& text) {
    QString label = text;
    const qsizetype dash = label.indexOf(QLatin1Char('-'));
    if (dash >= 0) {
        label.truncate(dash);
    }
    const qsizetype dot = label.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        label.remove(0, dot + 1);
    }
    bool ok = false;
    const int code = label.trimmed().toInt(&ok, 10);
    return ok ? code : -1;
}
