#include "OpenErrorText.h"

#include <windows.h>

namespace {

// The system's own text for a Win32 error code, without the trailing full stop and line break.
QString systemText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    QString text = length > 0 ? QString::fromWCharArray(buffer, static_cast<int>(length))
                              : QStringLiteral("error %1").arg(error);
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    text = text.trimmed();
    while (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return text;
}

} // namespace

QString ExplainOpenError(const TMySerial::OpenErrorTexts& texts, const QString& path, int error) {
    const QString device = path.isEmpty() ? QStringLiteral("(?)") : path;
    switch (error) {
    case 0:
        return QString();
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        // A COM port is opened without sharing: "access denied" means another program has it.
        return texts.busy.arg(device);
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
        return texts.missing.arg(device);
    case ERROR_INVALID_FUNCTION:
        return texts.notSerial.arg(device);
    default:
        return texts.other.arg(device, systemText(static_cast<DWORD>(error)));
    }
}
