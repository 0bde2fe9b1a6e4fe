#include "ControlTag.h"

#include <QVariant>

namespace ControlTag {

void set(QObject* control, std::uint32_t tag) {
    control->setProperty("Tag", QVariant::fromValue<quint32>(tag));
}

std::uint32_t of(const QObject* control) {
    if (control == nullptr) {
        return 0;
    }
    const QVariant v = control->property("Tag");
    bool ok = false;
    const uint tag = v.toUInt(&ok);
    return ok ? tag : 0;
}

} // namespace ControlTag
