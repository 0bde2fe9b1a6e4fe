#pragma once

#include <QString>

#include <cstdint>

struct ControllerMirror;
class SerialLink;
class QWidget;

// What the update tab needs from the main window: the window implements it over its mirror,
// port, timers and tabs; tests implement it with plain fields.
class FirmwareHost {
public:
    virtual ~FirmwareHost() = default;
    virtual QString langText(int id) const = 0;
    virtual bool serviceMode() const = 0;
    virtual void setStatusText(const QString& text) = 0;
    virtual void beep() = 0;
    // The owner of the progress window's position and of the message boxes.
    virtual QWidget* mainWindow() = 0;

    // The controller and its line. DeviceId and LiveStatus are read from the mirror.
    virtual ControllerMirror& mirror() = 0;
    virtual SerialLink* link() = 0;
    // True while another exchange with the controller waits for its answer on this thread.
    virtual bool exchangeRunning() const = 0;
    // Programming stops the poll cycle first and, whatever the result, ends by forgetting the
    // controller's identity and settings, restarting the poll cycle and showing the parameters
    // tab.
    virtual void stopPolling() = 0;
    virtual void finishProgramming() = 0;
    // Saves the controller's settings and map before they are replaced. False when no backup
    // was written, with `problem` saying why in the user's language.
    virtual bool saveBackup(QString* problem) = 0;
};
