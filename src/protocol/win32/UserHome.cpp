#include "UserHome.h"

// On Windows the user's folders come from the user's profile (AppData, Documents), whatever
// HOME says: there is nothing to prepare and every folder Qt names is the user's own.
namespace UserHome {

bool prepare() {
    return true;
}

QString writableLocation(QStandardPaths::StandardLocation type) {
    return QStandardPaths::writableLocation(type);
}

void setPasswdHomeLookup(QString (*)()) {}

} // namespace UserHome
