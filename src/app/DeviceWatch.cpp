// A device that vanishes while open (the adapter pulled, the simulator stopped) is opened again
// by itself once it is back, without the user picking the port again.
#include "TForm1.h"

#include "TMySerial.h"

#include <QTimer>

namespace {
constexpr int ReconnectIntervalMs = 1500;
} // namespace

void TForm1::WatchForDevice() {
    if (Serial1 == nullptr || closing_ || !Serial1->SerialWaitingForDevice()) {
        return;
    }
    if (ReconnectTimer == nullptr) {
        ReconnectTimer = new QTimer(this);
        ReconnectTimer->setObjectName(QStringLiteral("ReconnectTimer"));
        ReconnectTimer->setInterval(ReconnectIntervalMs);
        connect(ReconnectTimer, &QTimer::timeout, this, &TForm1::ReconnectTimerTimer);
    }
    if (ReconnectTimer->isActive()) {
        return;
    }
    SetStatusText(LangText(160).arg(Serial1->DeviceName()));
    ReconnectTimer->start();
    // The first try at once: it also lets go of the dead device straight away.
    ReconnectTimerTimer();
}

void TForm1::ReconnectTimerTimer() {
    if (Serial1 == nullptr || closing_ || !Serial1->SerialWaitingForDevice()) {
        // Closed, back, or the user chose a port meanwhile.
        ReconnectTimer->stop();
        return;
    }
    if (busy_ > 0) {
        return; // an exchange waits for its answer on this thread: the next beat tries
    }
    if (Serial1->SerialReconnect()) {
        ReconnectTimer->stop();
        SetStatusText(LangText(161).arg(Serial1->DeviceName()));
    }
}
