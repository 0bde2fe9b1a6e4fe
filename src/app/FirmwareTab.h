#pragma once

#include "FirmwareHost.h"

#include <QObject>

class FirmwarePage;
class TForm1;

// The update tab bound to the window: the catalogue is built when the tab opens, Button1 and
// the tree start a programming run, and the run stops and restarts the window's poll cycle.
// Created once by the window's constructor, as its child.
class FirmwareTab : public QObject, public FirmwareHost {
    Q_OBJECT
public:
    explicit FirmwareTab(TForm1& form);

    FirmwarePage& page() { return *page_; }

    // FirmwareHost
    QString langText(int id) const override;
    bool serviceMode() const override;
    void setStatusText(const QString& text) override;
    void beep() override;
    QWidget* mainWindow() override;
    ControllerMirror& mirror() override;
    SerialLink* link() override;
    bool exchangeRunning() const override;
    void stopPolling() override;
    void finishProgramming() override;
    bool saveBackup(QString* problem) override;

private:
    TForm1& f_;
    FirmwarePage* page_ = nullptr;
};
