#include "UserFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#include <iterator>
#include <string>
#include <string_view>
#include <windows.h>

namespace UserFile {

namespace {

std::wstring nativeName(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

QString systemReason(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const QString reason = text != nullptr ? QString::fromWCharArray(text).trimmed()
                                           : QStringLiteral("system error %1").arg(error);
    LocalFree(text);
    return reason;
}

Opened failed(QString* reason, DWORD error) {
    *reason = systemReason(error);
    return Opened::Failed;
}

// A name that Windows takes for a device rather than a file on a disk ("COM1", "NUL",
// "\\.\pipe\x"): its full path starts with "\\.\". Such a name is never opened, as opening a
// serial port may switch its modem lines.
bool namesDevice(const std::wstring& name) {
    wchar_t full[4096];
    const DWORD n = GetFullPathNameW(name.c_str(), DWORD(std::size(full)), full, nullptr);
    return n > 0 && n < std::size(full) && std::wstring_view(full, n).starts_with(L"\\\\.\\");
}

// Hands `handle` to `file`, which closes it from then on.
Opened adopt(QFile& file, HANDLE handle, int flags, QIODevice::OpenMode mode, QString* reason) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        CloseHandle(handle);
        *reason = QStringLiteral("no file descriptor left");
        return Opened::Failed;
    }
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        *reason = file.errorString();
        _close(fd);
        return Opened::Failed;
    }
    reason->clear();
    return Opened::Ok;
}

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

Opened openForReading(QFile& file, const QString& path, QString* reason) {
    const std::wstring name = nativeName(path);
    // Looked at first, so that a device is never opened at all.
    if (namesDevice(name)) {
        reason->clear();
        return Opened::NotRegular;
    }
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return failed(reason, GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason->clear();
        return Opened::NotRegular;
    }
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return failed(reason, GetLastError());
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        reason->clear();
        return Opened::NotRegular;
    }
    return adopt(file, handle, _O_RDONLY | _O_BINARY, QIODevice::ReadOnly, reason);
}

Opened openDeviceForWriting(QFile& file, const QString& path, QString* reason) {
    // A pipe without a reader refuses the opening at once.
    HANDLE handle = CreateFileW(nativeName(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return failed(reason, GetLastError());
    }
    return adopt(file, handle, _O_WRONLY | _O_BINARY, QIODevice::WriteOnly | QIODevice::Unbuffered,
                 reason);
}

Target inspect(const QString& path) {
    Target t;
    const std::wstring name = nativeName(path);
    const bool device = namesDevice(name);
    const DWORD attributes = device ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(name.c_str());
    t.exists = device || attributes != INVALID_FILE_ATTRIBUTES;
    t.regular = !device && t.exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (t.regular) {
        // Opening for writing (nothing written) asks the file's permissions and attributes.
        HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, ShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        t.fileWritable = handle != INVALID_HANDLE_VALUE;
        if (t.fileWritable) {
            CloseHandle(handle);
        }
    }
    // A folder's permissions are asked the same way: a file made there and gone when closed.
    const QString probe = QFileInfo(path).absolutePath() +
                          QStringLiteral("/.orvex-probe-%1").arg(GetCurrentProcessId());
    HANDLE handle = CreateFileW(
        nativeName(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    t.folderWritable = handle != INVALID_HANDLE_VALUE;
    if (t.folderWritable) {
        CloseHandle(handle);
    }
    return t;
}

QString flushToDisk(QFileDevice& file) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0
               ? QString()
               : systemReason(GetLastError());
}

// A replacement takes its permissions from the folder, as every new file does on Windows, and
// its owner is the user saving it. A read-only file is not replaced at all: the replacing
// rename is refused, the user is told why and the old file stays as it was.
Keeping keepingOf(const QString&) {
    return {};
}

QString keep(QFileDevice&, const Keeping&) {
    return {};
}

} // namespace UserFile
