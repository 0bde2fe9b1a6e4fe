#include "TMySerial.h"

#include "ComPortMap.h"
#include "EventPump.h"
#include "OpenErrorText.h"
#include "TMyComm.h"
#include "TMyFtdi.h"
#include "TMyWire.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kOpenPauseMs = 500;

TBaudRate baudRateOf(int baud, bool& known) {
    static const int rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int i = 0; i < 15; ++i) {
        if (rates[i] == baud) {
            known = true;
            return static_cast<TBaudRate>(i);
        }
    }
    known = false;
    return br9600;
}

} // namespace

TMySerial::TMySerial(QObject* owner)
    : QObject(owner), FComm(std::make_unique<TMyComm>()), FFtdi(std::make_unique<TMyFtdi>()),
      FWire(std::make_unique<TMyWire>(this)), FConnectCaption(QStringLiteral("Połącz")),
      FDisconnectCaption(QStringLiteral("Rozłącz")),
      FOpenErrorText(QStringLiteral("Nie można otworzyć portu : ")) {
    // The facade handles none of the port's events: its callers look at the queue and the line
    // themselves. Watching for none spares the window a posted event per answer and per write.
    FComm->SetMonitorEvents(0);
}

TMySerial::~TMySerial() {
    // Close without letting events run: the owner is being torn down.
    try {
        if (FComm->Enabled()) {
            EventPump::releaseLineWake();
            FComm->Close();
        }
    } catch (...) {
    }
    if (FFtdi->Present() && FFtdiOpened) {
        FFtdi->Close();
        FFtdiOpened = false;
    }
    FWire->Close();
}

void TMySerial::SetOpenErrorTexts(const OpenErrorTexts& texts) {
    FOpenErrorTexts = texts;
}

void TMySerial::SetOpenErrorPresenter(Presenter presenter) {
    FPresenter = std::move(presenter);
}

void TMySerial::ShowOpenErrorBox(const QString& text, const QString& caption) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        qWarning("%s: %s", qPrintable(caption), qPrintable(text));
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

void TMySerial::ReportOpenFailure(const QString& text) {
    const QString caption = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (FPresenter) {
        FPresenter(text, caption);
    } else {
        ShowOpenErrorBox(text, caption);
    }
}

QString TMySerial::FtdiDescription(int index) {
    char buffer[65] = {};
    if (!FFtdi->Present()) {
        return QString();
    }
    if (FFtdi->ListDevices(static_cast<std::uint32_t>(index), buffer,
                           FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION) != FT_OK) {
        std::memset(buffer, 0, sizeof buffer);
        (void)FFtdi->GetDeviceInfoDetail(static_cast<std::uint32_t>(index), nullptr, nullptr,
                                         nullptr, nullptr, nullptr, buffer, nullptr);
    }
    buffer[64] = '\0'; // a description that fills the 64 bytes has no terminator of its own
    return QString::fromLocal8Bit(buffer);
}

bool TMySerial::SerialOpen(int port, int baud) {
    if (port < 1) {
        port = 1;
    }
    FPortNumber = port;
    if (baud == -1) {
        baud = 9600;
    }
    FBaud = baud;
    lineBaud_ = baud;
    SerialClose();
    if (!PauseBeforeOpen()) {
        return SerialConnected(); // a newer open made during the pause has decided
    }

    bool opened = false;
    if (port == WirePort) {
        opened = FWire->Open();
        if (!opened) {
            ReportOpenFailure(FOpenErrorText + FWire->Name());
        }
    } else if (port >= FtdiPortBase) {
        if (FFtdi->Present()) {
            FT_STATUS status = FFtdi->Open(port - FtdiPortBase);
            opened = status == FT_OK;
            // After a failed open the adapter still holds the handle of the device closed last:
            // the line calls are made only on a device that did open.
            if (opened) {
                (void)FFtdi->SetDataCharacteristics(FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
                (void)FFtdi->SetNonStandardBaudRate(baud);
                (void)FFtdi->ResetDevice();
            }
            FFtdiOpened = opened;
        }
        if (!opened) {
            const QString description = FtdiDescription(port - FtdiPortBase);
            ReportOpenFailure(FOpenErrorText + (description.isEmpty()
                                                    ? QStringLiteral("USB<->Serial")
                                                    : description));
        }
    } else {
        const QString path = ComPortMap::DevicePath(port);
        FComm->SetDeviceName(path);
        try {
            FComm->Open();
        } catch (const ECommError&) {
            // Decided by Enabled alone.
        }
        opened = FComm->Enabled();
        bool known = false;
        try {
            FComm->SetBaudRate(baudRateOf(baud, known));
            FComm->SetDataBits(da8);
            FComm->SetStopBits(sb10);
            FComm->SetParity(paNone);
        } catch (const ECommError& error) {
            // The line could not be set: say so rather than let the failure escape an event
            // handler. The port stays open, as it is.
            ReportOpenFailure(QString::fromLocal8Bit(error.what()));
        }
        if (!opened) {
            // A device given by its path (--device, the demo) is named by it: its COM number
            // was made up for this run and means nothing to the user.
            const bool byPath = FOpeningPath || ComPortMap::IsSessionNumber(port);
            QString text =
                FOpenErrorText + (byPath ? path : QStringLiteral("COM") + QString::number(port));
            const QString why = ExplainOpenError(FOpenErrorTexts, path, FComm->LastOpenError());
            if (!why.isEmpty()) {
                text += QStringLiteral("\n\n") + why;
            }
            ReportOpenFailure(text);
        }
    }
    FWanted = opened;
    if (opened) {
        ++openCount_;
    }
    EventPump::processEvents();
    return opened;
}

bool TMySerial::PauseBeforeOpen() {
    // The window keeps running during the pause, so the user may pick another port meanwhile:
    // the open asked for last is the one carried out.
    const int mine = ++openRequests_;
    ++pausing_;
    EventPump::pause(kOpenPauseMs);
    --pausing_;
    return openRequests_ == mine;
}

bool TMySerial::SerialOpenDevice(const QString& path, int baud) {
    const int number = ComPortMap::AddSessionDevice(path);
    if (number == 0) {
        ReportOpenFailure(FOpenErrorText + path);
        return false;
    }
    FOpeningPath = true;
    const bool opened = SerialOpen(number, baud);
    FOpeningPath = false;
    return opened;
}

bool TMySerial::SerialOpenWire(std::shared_ptr<MemoryWire> wire, const QString& name, int baud) {
    FWire->Attach(std::move(wire), name);
    return SerialOpen(WirePort, baud);
}

bool TMySerial::PortIsSessionOnly() const {
    return FPortNumber == WirePort ||
           (FPortNumber < FtdiPortBase && ComPortMap::IsSessionNumber(FPortNumber));
}

bool TMySerial::SerialOpenFtdiByDescription(const QString& description, int baud) {
    SerialClose();
    if (!PauseBeforeOpen()) {
        return SerialConnected();
    }
    bool result = false;
    if (FFtdi->Present()) {
        FT_DWORD count = 0;
        if (FFtdi->NumDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) {
            count = 0;
        }
        (void)FFtdi->CreateDeviceInfoList();
        count = std::min<FT_DWORD>(count, FtdiPortBase);
        for (FT_DWORD i = 0; i < count; ++i) {
            if (FtdiDescription(static_cast<int>(i)) == description) {
                result = SerialOpen(FtdiPortBase + static_cast<int>(i), baud);
            }
        }
    }
    EventPump::processEvents();
    return result;
}

void TMySerial::SerialClose() {
    FWanted = false; // let go on purpose (user, replay, close): it is not opened again by itself
    if (FComm->Enabled()) {
        EventPump::releaseLineWake();
        try {
            FComm->Close();
        } catch (...) {
        }
    }
    if (FFtdi->Present() && FFtdiOpened) {
        (void)FFtdi->Close();
        FFtdiOpened = false;
    }
    FWire->Close();
    EventPump::processEvents();
}

void TMySerial::SerialOpposite() {
    if (SerialConnected()) {
        SerialClose();
    } else {
        SerialOpen(FPortNumber, -1);
    }
}

bool TMySerial::SerialConnected() {
    if (FPortNumber == WirePort) {
        return FWire->Opened() && !FWire->HungUp();
    }
    if (FPortNumber < FtdiPortBase) {
        // A line whose far end hung up carries nothing any more: report it as gone, as an
        // unplugged adapter is, so the poll cycle shows the lost link at once and the toggle entry
        // offers to connect again.
        return FComm->Enabled() && !FComm->HungUp();
    }
    // A closed handle is never handed to the library again.
    return FFtdi->Present() && FFtdiOpened && FFtdi->QueueStatus() == FT_OK;
}

int TMySerial::SerialRead(std::uint8_t* buffer, int count) {
    if (!SerialConnected()) {
        return -1;
    }
    if (count <= 0 || buffer == nullptr) {
        return 0;
    }
    if (FPortNumber == WirePort) {
        return FWire->Read(buffer, count);
    }
    try {
        return FPortNumber < FtdiPortBase ? FComm->Read(buffer, static_cast<std::uint32_t>(count))
                                          : FFtdi->Read(buffer, count);
    } catch (...) {
        return 0;
    }
}

int TMySerial::SerialWrite(const std::uint8_t* buffer, int count) {
    if (!SerialConnected()) {
        return -1;
    }
    if (count <= 0 || buffer == nullptr) {
        return 0;
    }
    if (FPortNumber == WirePort) {
        return FWire->Write(buffer, count);
    }
    try {
        return FPortNumber < FtdiPortBase ? FComm->Write(buffer, static_cast<std::uint32_t>(count))
                                          : FFtdi->Write(buffer, count);
    } catch (...) {
        return 0;
    }
}

int TMySerial::SerialInQueCount() {
    if (!SerialConnected()) {
        return -1;
    }
    if (FPortNumber == WirePort) {
        return FWire->InQueCount();
    }
    try {
        return FPortNumber < FtdiPortBase ? FComm->InQueCount() : FFtdi->InQueCount();
    } catch (...) {
        return 0;
    }
}

int TMySerial::ArmInputWake(int count) {
    if (FPortNumber == WirePort && SerialConnected()) {
        // No descriptor: the wire posts to this object's thread once the count is there.
        wakeArmed_ = true;
        FWire->ArmWake(count);
        return -1;
    }
    if (FPortNumber >= FtdiPortBase || !SerialConnected()) {
        return -1;
    }
    wakeArmed_ = true;
    return FComm->ArmInputWake(count);
}

void TMySerial::DisarmInputWake() {
    if (wakeArmed_) {
        wakeArmed_ = false;
        FComm->DisarmInputWake();
        FWire->ArmWake(0);
    }
}

int TMySerial::ByteTimeUs() {
    return lineBaud_ > 0 ? 10'000'000 / lineBaud_ : 0;
}

int TMySerial::SerialPurgeRx() {
    if (!SerialConnected()) {
        return -1;
    }
    if (FPortNumber == WirePort) {
        FWire->Purge();
        return 1;
    }
    try {
        if (FPortNumber < FtdiPortBase) {
            FComm->PurgeIn();
            return 1;
        }
        return static_cast<int>(FFtdi->Purge(FT_PURGE_RX));
    } catch (...) {
        return 0;
    }
}

int TMySerial::SerialPurgeTx() {
    if (!SerialConnected()) {
        return -1;
    }
    try {
        if (FPortNumber < FtdiPortBase) {
            FComm->PurgeOut();
            return 1;
        }
        return static_cast<int>(FFtdi->Purge(FT_PURGE_TX));
    } catch (...) {
        return 0;
    }
}

void TMySerial::SerialBaudRate(int baud) {
    if (baud <= 0) {
        return;
    }
    lineBaud_ = baud;
    bool known = false;
    const TBaudRate rate = baudRateOf(baud, known);
    try {
        if (known) {
            FComm->SetBaudRate(rate);
        }
        FComm->SetDataBits(da8);
        FComm->SetStopBits(sb10);
        FComm->SetParity(paNone);
    } catch (const ECommError&) {
        // Nobody to tell: the next transfer shows whether the line works.
    }
    if (FFtdi->Present() && FFtdiOpened) {
        (void)FFtdi->SetDataCharacteristics(FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
        (void)FFtdi->SetNonStandardBaudRate(baud);
    }
}

bool TMySerial::SerialWaitingForDevice() {
    // While a port is being opened, that open decides.
    return FWanted && !Opening() && !SerialConnected();
}

QString TMySerial::DeviceName() const {
    if (FPortNumber == WirePort) {
        return FWire->Name();
    }
    if (FPortNumber >= FtdiPortBase) {
        return QStringLiteral("USB<->Serial ") + QString::number(FPortNumber - FtdiPortBase);
    }
    // An open port is the device it was opened on; the status bar asks every second, and the
    // port map would look through the settings and /dev each time.
    if (FComm->Enabled()) {
        return FComm->DeviceName();
    }
    return ComPortMap::DevicePath(FPortNumber);
}

bool TMySerial::SerialReconnect() {
    if (!SerialWaitingForDevice()) {
        return false;
    }
    // The dead handle goes at once: a device that comes back gets its old name only when
    // nobody holds the old one. No events run here; the caller is a timer of the window.
    if (FComm->Enabled()) {
        EventPump::releaseLineWake();
        try {
            FComm->Close();
        } catch (...) {
        }
    }
    if (FFtdiOpened) {
        (void)FFtdi->Close();
        FFtdiOpened = false;
    }
    FWire->Close();
    if (FPortNumber == WirePort) {
        // Back once the simulator serves its end again.
        if (!FWire->FarEndOpen() || !FWire->Open()) {
            return false;
        }
        ++openCount_;
        return SerialConnected();
    }
    if (FPortNumber >= FtdiPortBase) {
        if (!FFtdi->Present() || FFtdi->Open(FPortNumber - FtdiPortBase) != FT_OK) {
            return false;
        }
        FFtdiOpened = true;
        (void)FFtdi->SetDataCharacteristics(FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
        (void)FFtdi->SetNonStandardBaudRate(FBaud);
        (void)FFtdi->ResetDevice();
        ++openCount_;
        return SerialConnected();
    }
    const QString path = ComPortMap::DevicePath(FPortNumber);
    if (path.isEmpty() || !ComPortMap::DeviceExists(path)) {
        return false; // not back yet
    }
    FComm->SetDeviceName(path);
    try {
        FComm->Open();
    } catch (const ECommError&) {
    }
    if (!FComm->Enabled()) {
        return false;
    }
    try {
        bool known = false;
        FComm->SetBaudRate(baudRateOf(FBaud, known));
        FComm->SetDataBits(da8);
        FComm->SetStopBits(sb10);
        FComm->SetParity(paNone);
    } catch (const ECommError&) {
        // The next transfers show whether the line works.
    }
    ++openCount_;
    return SerialConnected();
}
