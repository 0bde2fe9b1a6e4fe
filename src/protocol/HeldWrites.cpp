#include "HeldWrites.h"

#include "MapCells.h"
#include "MapWriteCheck.h"

#include <algorithm>

HeldWrites::CellMask HeldWrites::changedCells(const MapBytes& table) const {
    if (!mapAside) {
        return {};
    }
    CellMask changed = offerCells;
    for (int n = 0; n < MapCells::CellCount; ++n) {
        const auto b = static_cast<std::size_t>(MapCells::byteOfCell(n));
        if (table[b] != controllerMap[b]) {
            changed.set(static_cast<std::size_t>(n));
        }
    }
    return changed;
}

HeldWrites::CellMask HeldWrites::unwrittenCells(const MapBytes& table,
                                                const MapWriteCheck& check) const {
    CellMask cells = changedCells(table);
    for (int n = 0; n < MapCells::CellCount; ++n) {
        if (check.waitsFor(n)) {
            cells.set(static_cast<std::size_t>(n));
        }
    }
    return cells;
}

std::uint8_t HeldWrites::controllerCell(const MapBytes& table, int cell) const {
    const auto b = static_cast<std::size_t>(MapCells::byteOfCell(cell));
    return mapAside ? controllerMap[b] : table[b];
}

void HeldWrites::settingEdited(int index, int value, bool answering) {
    if (index <= 0 || index >= SettingCount) {
        return;
    }
    const SettingState state = answering ? SettingState::Queued : SettingState::Held;
    const auto i = std::find_if(settings_.begin(), settings_.end(),
                                [index](const Setting& s) { return s.index == index; });
    if (i != settings_.end()) {
        // A new value of the same setting starts again: its tries count from nought, and a
        // held one stays held (the user answers for both at once).
        i->value = value;
        i->tries = 0;
        i->state = i->state == SettingState::Held ? SettingState::Held : state;
        return;
    }
    Setting s;
    s.index = index;
    s.value = value;
    s.controllerValue = shown_[static_cast<std::size_t>(index)];
    s.state = state;
    settings_.append(s);
}

void HeldWrites::settingSent(int index) {
    for (Setting& s : settings_) {
        if (s.index == index && s.state != SettingState::Held) {
            s.state = SettingState::Sent;
            s.wasSent = true;
            ++s.tries;
        }
    }
}

QVector<HeldWrites::Setting> HeldWrites::settingsShown(const std::uint8_t* body, int count) {
    for (int k = 0; k < SettingCount; ++k) {
        shown_[static_cast<std::size_t>(k)] = k < count ? body[k + 1] : -1;
    }
    QVector<Setting> given;
    QVector<Setting> kept;
    for (Setting s : settings_) {
        const int now = shown_[static_cast<std::size_t>(s.index)];
        s.controllerValue = now;
        if (now >= 0 && now == (s.value & 0xFF)) {
            continue; // confirmed, or the controller holds it already
        }
        if (s.state == SettingState::Sent) {
            if (s.tries >= MaxSettingTries) {
                s.state = SettingState::NotTaken;
                given.append(s);
            } else {
                s.state = SettingState::Queued;
            }
        }
        kept.append(s);
    }
    settings_ = kept;
    freshSettings_ = true;
    return given;
}

std::optional<HeldWrites::Setting> HeldWrites::nextSettingWrite() const {
    for (const Setting& s : settings_) {
        if (s.state == SettingState::Queued) {
            return s;
        }
    }
    return std::nullopt;
}

QVector<HeldWrites::Setting> HeldWrites::connectionLost() {
    QVector<Setting> held;
    for (Setting& s : settings_) {
        if (s.state != SettingState::Held) {
            s.state = SettingState::Held;
            s.tries = 0;
            held.append(s);
        }
    }
    freshSettings_ = false;
    return held;
}

bool HeldWrites::settingsOfferDue() const {
    return freshSettings_ && std::any_of(settings_.begin(), settings_.end(), [](const Setting& s) {
               return s.state == SettingState::Held;
           });
}

void HeldWrites::writeHeldSettings() {
    for (Setting& s : settings_) {
        if (s.state == SettingState::Held) {
            s.state = SettingState::Queued;
            s.tries = 0;
        }
    }
}

void HeldWrites::dropSettings() {
    settings_.clear();
}

const HeldWrites::Setting* HeldWrites::setting(int index) const {
    for (const Setting& s : settings_) {
        if (s.index == index) {
            return &s;
        }
    }
    return nullptr;
}

QVector<HeldWrites::Setting> HeldWrites::settingsIn(SettingState state) const {
    QVector<Setting> out;
    for (const Setting& s : settings_) {
        if (s.state == state) {
            out.append(s);
        }
    }
    return out;
}

int HeldWrites::shownSetting(int index) const {
    return index >= 0 && index < SettingCount ? shown_[static_cast<std::size_t>(index)] : -1;
}

std::uint32_t HeldWrites::keptSettings() const {
    std::uint32_t bits = 0;
    for (const Setting& s : settings_) {
        bits |= 1U << s.index;
    }
    return bits;
}
