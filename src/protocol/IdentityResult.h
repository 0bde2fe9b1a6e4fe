#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What an identity response asks the window to do, in this order: set the caption and the
// application title; show or hide RGKomKor and RGWyjKor; from a working controller, show
// `message` (the newer-program message) when set; replace the information report with
// `reportLines` and set Edit2's Tag to 0 (when the information window exists); in loader mode
// press ZakladkaProg and ShowTab(showTab), then show `message` (caption "Orvex", error icon).
struct IdentityResult {
    bool loader = false;        // the boot loader answered: the firmware is missing or damaged
    QString caption;            // window caption
    QString title;              // application title
    QString vehicleName;        // the name the controller was given (empty when none)
    bool komKorVisible = false; // RGKomKor and RGWyjKor
    bool reportWritten = false;
    QStringList reportLines;
    std::optional<int> showTab;     // 2 = the update page (loader mode)
    std::optional<QString> message; // loader message or the newer-program message
};
