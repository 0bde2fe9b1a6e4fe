// TMySerial: the port menus.
#include "TMySerial.h"

#include "ComPortMap.h"
#include "TMyFtdi.h"
#include "TMyWire.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {
const char* const kGroupName = "SerialPortGroup";
}

void TMySerial::SerialMenuList(QMenu* item) {
    InternalSerialList(item, nullptr);
}

void TMySerial::SerialPopupList(QMenu* popup) {
    InternalSerialList(nullptr, popup);
}

void TMySerial::InternalSerialList(QMenu* item, QMenu* popup) {
    if (item != nullptr) {
        FillMenu(item);
    }
    if (popup != nullptr) {
        FillMenu(popup);
    }
}

void TMySerial::InternalPortClick(QAction* sender) {
    if (sender != nullptr) {
        SerialOpen(sender->property("Tag").toInt(), -1);
    }
}

// First entry: the toggle; second: the separator; then one radio entry per port, COM before FTDI,
// and last the in-memory wire when one is attached.
void TMySerial::FillMenu(QMenu* menu) {
    QList<QAction*> actions = menu->actions();
    if (!actions.isEmpty()) {
        actions.first()->setText(SerialConnected() ? FDisconnectCaption : FConnectCaption);
    }
    while (menu->actions().size() > 2) {
        QAction* last = menu->actions().last();
        menu->removeAction(last);
        if (last->parent() == menu) {
            last->deleteLater();
        }
    }
    if (auto* old =
            menu->findChild<QActionGroup*>(QLatin1String(kGroupName), Qt::FindDirectChildrenOnly)) {
        old->setObjectName(QString());
        old->deleteLater();
    }
    auto* group = new QActionGroup(menu);
    group->setObjectName(QLatin1String(kGroupName));
    group->setExclusive(true);

    auto addEntry = [&](const QString& caption, int tag) {
        auto* action = new QAction(caption, menu);
        action->setCheckable(true);
        action->setActionGroup(group);
        action->setData(tag);
        action->setProperty("Tag", tag);
        action->setChecked(tag == FPortNumber);
        connect(action, &QAction::triggered, this, [this, action] { InternalPortClick(action); });
        menu->addAction(action);
    };

    const QList<int> numbers = ComPortMap::PresentNumbers();
    for (int n : numbers) {
        addEntry(QStringLiteral("Com &") + QString::number(n), n);
    }
    if (FFtdi->Present()) {
        FT_DWORD count = 0;
        if (FFtdi->NumDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) {
            count = 0;
        }
        (void)FFtdi->CreateDeviceInfoList();
        count = std::min<FT_DWORD>(count, FtdiPortBase); // a garbage count must not flood the menu
        for (FT_DWORD i = 0; i < count; ++i) {
            const QString description = FtdiDescription(static_cast<int>(i));
            addEntry(description.isEmpty() ? QStringLiteral("USB<->Serial") : description,
                     FtdiPortBase + static_cast<int>(i));
        }
    }
    if (FWire->Present()) {
        addEntry(FWire->Name(), WirePort);
    }
}
