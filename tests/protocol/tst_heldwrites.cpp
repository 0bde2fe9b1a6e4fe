// The rules of edits the controller does not hold yet that no window shows directly: the
// order of queued setting writes, the tries before one is given up, and what a lost
// connection does to them.
#include "HeldWrites.h"

#include <QtTest>

#include <array>

namespace {

// A settings answer body: count, then settings 0..count-1.
std::array<std::uint8_t, 40> answer(std::initializer_list<std::pair<int, int>> values) {
    std::array<std::uint8_t, 40> b{};
    b[0] = 19;
    for (const auto& [k, v] : values) {
        b[static_cast<std::size_t>(k + 1)] = static_cast<std::uint8_t>(v);
    }
    return b;
}

using State = HeldWrites::SettingState;

} // namespace

class HeldWritesTest : public QObject {
    Q_OBJECT
private slots:
    void editsGoInTheirOrderAndAreConfirmedByTheAnswer() {
        HeldWrites h;
        h.settingsShown(answer({{4, 40}, {7, 1}}).data(), 19);
        h.settingEdited(4, 41, true);
        h.settingEdited(7, 2, true);
        h.settingEdited(4, 42, true); // the same setting again: one write, the newer value
        QCOMPARE(h.settings().size(), 2);
        QCOMPARE(h.nextSettingWrite()->index, 4);
        QCOMPARE(h.nextSettingWrite()->value, 42);
        QCOMPARE(h.setting(4)->controllerValue, 40);
        h.settingSent(4);
        QCOMPARE(h.nextSettingWrite()->index, 7);
        QVERIFY(h.settingsShown(answer({{4, 42}, {7, 1}}).data(), 19).isEmpty());
        QVERIFY(h.setting(4) == nullptr); // confirmed
        QCOMPARE(h.setting(7)->state, State::Queued);
        QCOMPARE(h.keptSettings(), 1U << 7);
        // An edit back to what the controller holds needs no write.
        h.settingEdited(7, 1, true);
        h.settingsShown(answer({{4, 42}, {7, 1}}).data(), 19);
        QVERIFY(h.settings().isEmpty());
    }

    void aWriteShownOtherwiseIsTriedThreeTimesThenGivenUp() {
        HeldWrites h;
        h.settingsShown(answer({{7, 1}}).data(), 19);
        h.settingEdited(7, 4, true);
        for (int tries = 1; tries <= 3; ++tries) {
            QCOMPARE(h.nextSettingWrite()->index, 7);
            h.settingSent(7);
            const auto given = h.settingsShown(answer({{7, 1}}).data(), 19);
            QCOMPARE(given.size(), tries == 3 ? 1 : 0);
        }
        QCOMPARE(h.setting(7)->state, State::NotTaken);
        QVERIFY(!h.nextSettingWrite()); // never written again by itself
        QCOMPARE(h.keptSettings(), 1U << 7);
        // A setting the answer does not hold at all (an older controller) is never confirmed.
        h.settingEdited(18, 200, true);
        h.settingSent(18);
        h.settingsShown(answer({}).data(), 17);
        QCOMPARE(h.setting(18)->state, State::Queued);
        QCOMPARE(h.setting(18)->controllerValue, -1);
    }

    void aLostConnectionHoldsEverythingUntilTheUserAnswers() {
        HeldWrites h;
        h.settingsShown(answer({{3, 10}, {4, 40}}).data(), 19);
        h.settingEdited(3, 11, true);
        h.settingSent(3); // on its way when the line went quiet
        h.settingEdited(4, 41, false);
        QCOMPARE(h.setting(4)->state, State::Held);
        const auto held = h.connectionLost();
        QCOMPARE(held.size(), 1);
        QCOMPARE(held[0].index, 3);
        QVERIFY(held[0].wasSent);
        QVERIFY(!h.nextSettingWrite());
        QVERIFY(!h.settingsOfferDue()); // not before the controller's settings are read again
        h.settingEdited(4, 42, true);   // still held: the user answers for it once
        QCOMPARE(h.setting(4)->state, State::Held);
        h.settingsShown(answer({{3, 10}, {4, 45}}).data(), 19);
        QVERIFY(h.settingsOfferDue());
        QCOMPARE(h.setting(4)->controllerValue, 45); // the old value the offer shows
        h.writeHeldSettings();
        QVERIFY(!h.settingsOfferDue());
        QCOMPARE(h.nextSettingWrite()->index, 3);
        h.dropSettings();
        QVERIFY(h.settings().isEmpty());
    }
};

QTEST_MAIN(HeldWritesTest)
#include "tst_heldwrites.moc"
