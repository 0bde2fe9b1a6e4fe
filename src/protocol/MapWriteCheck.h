#pragma once

#include <QVector>

#include <array>
#include <cstdint>

struct ControllerMirror;

// Whether the controller holds the map cells the program wrote. A map write is sent without
// waiting for its answer; every cell sent is remembered with its value until the controller
// shows that value, in the write's acknowledgement or in a map read. A map read is asked for
// when the acknowledgement does not come; a cell the read shows different is written again,
// up to MaxTries writes, and then reported as not taken.
class MapWriteCheck {
public:
    static constexpr int MaxTries = 3;
    // Requests whose answers are read after a write before a map read is asked for: the first
    // one drains the write's acknowledgement.
    static constexpr int DrainRequests = 1;

    struct Cell {
        int cell = 0;           // 0..239
        std::uint8_t value = 0; // what the program wrote (or still has to write)
    };

    // The write of MapWriteFirst..MapWriteLast has just been sent.
    void noteSent(const ControllerMirror& m);
    // A request's answer was awaited: the acknowledgement had its chance.
    void noteAnswerAwaited();
    // True when cells wait for confirmation, their acknowledgement did not come and no write
    // or read is queued: the caller queues a map read.
    bool readDue(const ControllerMirror& m) const;
    // The value of a cell waiting for confirmation or queued for a write: an answer must not
    // replace it in MapTable (it would show the controller's old value over the user's).
    bool holdsUserValue(const ControllerMirror& m, int cell) const;
    // The acknowledgement or a map read shows `value` for `cell`: confirmed when equal.
    void noteShown(int cell, std::uint8_t value);

    struct ReadOutcome {
        QVector<Cell> rewrite;  // written again (MapTable keeps the user's value)
        QVector<Cell> notTaken; // given up: MapTable keeps the controller's value
    };
    // A whole map read has stored the controller's cells in MapTable, except those that hold
    // the user's value. Compares the cells waiting for confirmation, queues the write again
    // or gives up on them.
    ReadOutcome checkMapRead(ControllerMirror& m);
    // The connection is lost: the cells not confirmed and the write not sent yet are taken
    // out (never sent to whichever controller answers next) and returned with their values.
    QVector<Cell> takeUnconfirmed(ControllerMirror& m);

    bool waiting() const;
    // A written value of `cell` waits for the controller's confirmation.
    bool waitsFor(int cell) const { return expected_[static_cast<std::size_t>(cell)] != None; }

private:
    static constexpr std::int16_t None = -1;
    std::array<std::int16_t, 240> expected_ = filled();
    std::array<std::uint8_t, 240> tries_{};
    int drain_ = 0;

    static std::array<std::int16_t, 240> filled() {
        std::array<std::int16_t, 240> a{};
        a.fill(None);
        return a;
    }
};
