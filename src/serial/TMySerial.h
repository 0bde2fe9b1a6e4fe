#pragma once

#include "SerialLink.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QMenu;
class MemoryWire;
class TMyComm;
class TMyFtdi;
class TMyWire;

// The program's only door to the controller link. One port number names every port:
// 1..1023 COM port n (see ComPortMap for the device behind it), 1024 + i FTDI device i,
// 2048 the in-memory wire attached for this run (the demo's simulated controller).
// Return rules of the transfer operations: -1 when nothing is connected, 0 when the port failed,
// otherwise a byte count.
//
// Use from the main window:
//   Serial1 = new TMySerial(this); Serial1->setObjectName("Serial1");
//   Serial1->SerialOpen(savedPort, 9600);                 // shows its own failure message
//   MenuPort's aboutToShow -> Serial1->SerialMenuList(MenuPort)  (first action: the toggle entry,
//   second: a separator; the window connects the toggle to SerialOpposite itself)
//   --device PATH / demo: Serial1->SerialOpenDevice(path, 9600) gives PATH a session COM number.
//   demo on an in-memory wire: Serial1->SerialOpenWire(wire, name, 9600); the Port menu lists it
//   under `name`, after the ports.
//   The open-failure box goes through SetOpenErrorPresenter (tests capture it there).
class TMySerial : public QObject, public SerialLink {
    Q_OBJECT
public:
    static constexpr int FtdiPortBase = 1024;
    static constexpr int WirePort = 2048;
    using Presenter = std::function<void(const QString& text, const QString& caption)>;

    explicit TMySerial(QObject* owner = nullptr);
    ~TMySerial() override;

    bool SerialOpen(int port, int baud);
    bool SerialOpenFtdiByDescription(const QString& description, int baud);
    // Opens a device path as the current COM port (a session-only COM number, never stored).
    bool SerialOpenDevice(const QString& path, int baud);
    // Attaches an in-memory wire under `name` (replacing one attached before) and opens it as the
    // current port, for this run only.
    bool SerialOpenWire(std::shared_ptr<MemoryWire> wire, const QString& name, int baud);
    void SerialClose();
    void SerialOpposite();
    bool SerialConnected() override;
    int SerialRead(std::uint8_t* buffer, int count) override;
    int SerialWrite(const std::uint8_t* buffer, int count) override;
    int SerialInQueCount() override;
    std::uint32_t SerialOpenCount() override { return openCount_; }
    // COM ports wake a wait on their bytes; the FTDI library offers no descriptor (-1); the
    // in-memory wire has none either (-1) but wakes the wait's event loop itself.
    int ArmInputWake(int count) override;
    void DisarmInputWake() override;
    // Ten bit times (start, eight data, stop) at the rate the port was opened or last set to.
    int ByteTimeUs() override;
    int SerialPurgeRx();
    int SerialPurgeTx();
    void SerialBaudRate(int baud);

    void SerialMenuList(QMenu* item);
    void SerialPopupList(QMenu* popup);
    void InternalSerialList(QMenu* item, QMenu* popup);
    void InternalPortClick(QAction* sender);

    int PortNumber() const { return FPortNumber; }
    // True while an open waits out its pause before opening; the window keeps processing events
    // then, and must not destroy the facade until it returns.
    bool Opening() const { return pausing_ > 0; }
    // True when the current port number was given for this run only (--device, demo, wire): the
    // window should not store it as the user's port.
    bool PortIsSessionOnly() const;

    QString ConnectCaption() const { return FConnectCaption; }
    void SetConnectCaption(const QString& text) { FConnectCaption = text; }
    QString DisconnectCaption() const { return FDisconnectCaption; }
    void SetDisconnectCaption(const QString& text) { FDisconnectCaption = text; }
    QString OpenErrorText() const { return FOpenErrorText; }
    // The first words of the open-failure message, before the port's name.
    void SetOpenErrorText(const QString& text) { FOpenErrorText = text; }
    // The explanations below the open-failure message, in the window's language. %1 is the
    // device path (in joinGroup: the group); in `other` %2 is the system's error text.
    struct OpenErrorTexts {
        QString permission = QStringLiteral("%1: permission denied.");
        QString joinGroup = QStringLiteral("Join the group \"%1\" that may use it (sudo usermod "
                                           "-aG %1 $USER), then log in again.");
        QString busy = QStringLiteral("%1: the port is in use by another program.");
        QString missing = QStringLiteral("%1: no such device is connected.");
        QString notSerial = QStringLiteral("%1: this is not a serial port.");
        QString other = QStringLiteral("%1: %2.");
    };
    void SetOpenErrorTexts(const OpenErrorTexts& texts);

    // Replaces the open-failure message box (nullptr restores the default box).
    void SetOpenErrorPresenter(Presenter presenter);
    // The default box: one OK button, error icon, no owner window.
    static void ShowOpenErrorBox(const QString& text, const QString& caption);

    // A device that vanished while open (adapter pulled, simulator stopped) is waited for:
    // SerialWaitingForDevice is true until it is open again or the port is closed (SerialClose)
    // or changed. SerialReconnect, called every second or two while waiting, closes the dead handle
    // and reopens the same device quietly (no message, no pause) once it is there; true when
    // it has just done so. DeviceName names the device for the user.
    bool SerialWaitingForDevice();
    bool SerialReconnect();
    QString DeviceName() const;

    TMyComm& Comm() { return *FComm; }
    TMyFtdi& Ftdi() { return *FFtdi; }

private:
    QString FtdiDescription(int index);
    void FillMenu(QMenu* menu);
    void ReportOpenFailure(const QString& text);
    // The pause between closing and opening; false when a newer open was asked for during it.
    bool PauseBeforeOpen();

    std::unique_ptr<TMyComm> FComm;
    std::unique_ptr<TMyFtdi> FFtdi;
    std::unique_ptr<TMyWire> FWire;
    int FPortNumber = 0;
    bool FFtdiOpened = false;
    bool FWanted = false; // opened, and not closed on purpose since
    int FBaud = 9600;
    QString FConnectCaption;
    QString FDisconnectCaption;
    QString FOpenErrorText;
    OpenErrorTexts FOpenErrorTexts;
    bool FOpeningPath = false; // SerialOpen runs for a path the user gave (also a mapped one)
    Presenter FPresenter;
    int openRequests_ = 0;
    std::uint32_t openCount_ = 0;
    int pausing_ = 0;
    bool wakeArmed_ = false;
    int lineBaud_ = 9600; // the rate of the last open or SerialBaudRate
};
