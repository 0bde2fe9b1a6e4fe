#pragma once

#include <QVector>

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

class MapWriteCheck;

// What the user changed that the controller does not hold yet, for map cells and settings
// alike: held (nobody answered, or the grid shows a file not written), sent and not yet
// confirmed, or not taken after every try. The map editor and the settings controls only show
// it; the poll cycle and the decoders move an edit from one state to the next. Map cells that
// are on their way are counted by the map write check; this model adds the cells the grid shows
// over the controller's map.
class HeldWrites {
public:
    static constexpr int MaxSettingTries = 3;
    static constexpr int SettingCount = 32;
    using MapBytes = std::array<std::uint8_t, 272>;
    using CellMask = std::bitset<240>;

    // --- map cells
    // The grid shows cells the controller does not hold (a file not written, edits made while
    // nobody answered, cells not taken): `controllerMap` is the controller's map as last known,
    // `offerCells` the cells to offer beyond those that differ from it.
    bool mapAside = false;
    MapBytes controllerMap{};
    CellMask offerCells;

    // Cells of `table` that the controller does not hold: those shown aside and those written
    // and not yet confirmed.
    CellMask unwrittenCells(const MapBytes& table, const MapWriteCheck& check) const;
    // Cells that differ from the controller's map or are to be offered (while aside).
    CellMask changedCells(const MapBytes& table) const;
    // The controller's value of `cell` as last known (the map aside, else `table`).
    std::uint8_t controllerCell(const MapBytes& table, int cell) const;

    // --- settings
    enum class SettingState {
        Queued,  // to be sent once the controller answers with its settings
        Sent,    // sent; its answer has not shown the value yet
        Held,    // changed while nobody answered, or its answer never came: asked about first
        NotTaken // the controller's answers showed another value after every try
    };
    struct Setting {
        int index = 0;
        int value = 0;
        int controllerValue = -1; // the controller's value as last shown; -1 not known
        SettingState state = SettingState::Queued;
        int tries = 0;
        bool wasSent = false; // sent at least once (a held write may have reached the controller)
    };

    // The user changed setting `index` (1..31) to `value`: queued while the controller answers,
    // else held. Replaces an earlier edit of the same setting.
    void settingEdited(int index, int value, bool answering);
    // The write of setting `index` was sent.
    void settingSent(int index);
    // A settings answer: `body[k + 1]` holds setting k for every k below `count`. Confirms the
    // edits it shows, queues the sent ones again and returns those given up after
    // MaxSettingTries writes.
    QVector<Setting> settingsShown(const std::uint8_t* body, int count);
    // The next queued setting write, in the order of the edits.
    std::optional<Setting> nextSettingWrite() const;
    // The connection is lost: nothing is sent to whichever controller answers next; every
    // setting not confirmed is held and returned.
    QVector<Setting> connectionLost();
    // Held settings are offered once a settings answer came after they were held.
    bool settingsOfferDue() const;
    // The user's answer to the offer: queued for the controller, or dropped.
    void writeHeldSettings();
    void dropSettings();

    // Every setting edit not on the controller, in the order of the edits.
    const QVector<Setting>& settings() const { return settings_; }
    const Setting* setting(int index) const;
    QVector<Setting> settingsIn(SettingState state) const;
    // The controller's value of setting `index` as last shown, -1 when not known.
    int shownSetting(int index) const;
    // Settings whose controls keep the user's value over a settings answer (bit k: setting k).
    std::uint32_t keptSettings() const;

private:
    QVector<Setting> settings_;
    std::array<int, SettingCount> shown_ = unknown();
    bool freshSettings_ = false; // a settings answer came since settings were held

    static std::array<int, SettingCount> unknown() {
        std::array<int, SettingCount> a{};
        a.fill(-1);
        return a;
    }
};
