#pragma once

#include "HeldWrites.h"
#include "MapWriteCheck.h"

#include "ResponseResult.h"

#include <QString>
#include <optional>

// What one poll tick asks the window to do. The window stops Timer1 before the tick, applies
// this result (modal boxes included, so no tick runs meanwhile), then sets Timer1's interval to
// `interval` and starts it again.
struct PollTickResult {
    int interval = 100; // ms: 100 while answers come, 500 once LinkCounter reached 6

    // The connection-loss reset, once per loss. The window: sets the caption and the
    // application title; hides Image1 (PanelError's no-connection text shows); gives PanelSta,
    // PanelGAZ, PanelImp, PanelTPS, PanelRPM, PanelKAT, LabelKat, PanelPwr, CheckBoxPk and
    // CheckBoxOn the button-face colour; hides Panel1; moves the chart cursor off
    // (SetCursor(-1, -1, -1)) and repaints the chart when it exists; when
    // `switchToParameters`, presses ZakladkaParam and ShowTab(0).
    struct LossReset {
        QString caption; // "Orvex V1.03"
        QString title;   // "Orvex"
        bool switchToParameters = false;
        // Map cells written but not confirmed, or still to be written, when the link was lost:
        // they are not sent to whichever controller answers next.
        QVector<MapWriteCheck::Cell> unconfirmed;
        // Setting writes queued or sent and not confirmed: held, asked about on return.
        QVector<HeldWrites::Setting> heldSettings;
    };
    std::optional<LossReset> lossReset;
    bool showImage1 = false; // the link answers again: show Image1

    QString txLogLine; // "Tx:" line of the request sent (LogFrames), for OpisSygaly
    bool requestSent = false;
    std::uint8_t command = 0;               // the request's command code
    std::optional<ResponseResult> response; // set when an answer was awaited
};
