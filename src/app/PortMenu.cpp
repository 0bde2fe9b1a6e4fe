// The Port menu and its pop-up twin: filled by the facade each time they open.
#include "TForm1.h"

#include "TMySerial.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

void TForm1::MenuPortClick() {
    if (Serial1 != nullptr) {
        Serial1->SerialMenuList(MenuPort);
    }
}

void TForm1::PopupMenuPortPopup() {
    if (Serial1 != nullptr) {
        Serial1->SerialPopupList(PopupMenuPort);
    }
}

void TForm1::MenuPortZmienClick() {
    if (Serial1 == nullptr) {
        return;
    }
    const bool polling = Timer1->isActive();
    Timer1->stop();
    ExchangeStarted();
    Serial1->SerialOpposite();
    Mirror.SettingIndex = 0;
    Mirror.IdentityState = 0;
    ExchangeFinished();
    if (polling && !closing_) {
        Timer1->start();
    }
}
