#include "FirmwareTab.h"

#include "FirmwarePage.h"
#include "TForm1.h"
#include "TMySerial.h"

#include <QApplication>
#include <QTimer>
#include <QToolButton>

FirmwareTab::FirmwareTab(TForm1& form) : QObject(&form), f_(form) {
    FirmwarePage::Widgets w;
    w.TreeView1 = f_.TreeView1;
    w.LabelOpis = f_.LabelOpis;
    w.PaintBox1 = f_.PaintBox1;
    w.Button1 = f_.Button1;
    w.RichEdit1 = f_.RichEdit1;
    page_ = new FirmwarePage(*this, w, this);
    f_.BuildFirmwareCatalogueHandler = [this] { page_->BuildFirmwareCatalogue(); };
}

QString FirmwareTab::langText(int id) const {
    return f_.LangText(id);
}

bool FirmwareTab::serviceMode() const {
    return f_.ServiceMode;
}

void FirmwareTab::setStatusText(const QString& text) {
    f_.SetStatusText(text);
}

void FirmwareTab::beep() {
    QApplication::beep();
}

QWidget* FirmwareTab::mainWindow() {
    return &f_;
}

ControllerMirror& FirmwareTab::mirror() {
    return f_.Mirror;
}

SerialLink* FirmwareTab::link() {
    return f_.Serial();
}

bool FirmwareTab::exchangeRunning() const {
    return f_.ExchangeBusy();
}

void FirmwareTab::stopPolling() {
    f_.Timer1->stop();
    f_.ExchangeStarted(); // a close asked for meanwhile waits for the end of the run
}

void FirmwareTab::finishProgramming() {
    f_.Mirror.clearRxHead();
    f_.Mirror.SettingIndex = 0;
    f_.Mirror.IdentityState = 0;
    if (!f_.Closing()) {
        f_.Timer1->start();
    }
    f_.ZakladkaParam->setChecked(true);
    f_.ShowTab(0);
    f_.ExchangeFinished();
}

bool FirmwareTab::saveBackup(QString* problem) {
    return f_.SaveControllerBackup(f_.Mirror, problem);
}
