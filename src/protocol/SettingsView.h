#pragma once

#include "HeldWrites.h"

#include <QString>
#include <QStringList>
#include <optional>

// The value every settings control must take after a valid settings response. Controls set
// from it never queue a write of their own; those of `keptEdit` keep what the user chose.
//
// The window applies: the check boxes; UpDownKat; EditTPS/UpDownTPS; EditGMP/UpDownGMP; the
// radio groups' item indexes; the map source (RGMapa, RGMapSor index and visibility, GridMapa
// rows and titles, GridMapa/ToolBarMap visibility); EditMIN/UpDownMIN, EditMAP/UpDownMAP and
// the rise/fall pairs when present; then appends `reportLines` to the information report
// (and sets Edit2's Tag to 1) when `reportSectionWritten`; then processes messages and runs the
// left-panel layout.
struct SettingsView {
    bool CheckBoxPk = false;
    bool CheckBoxOn = false;
    bool CheckBoxRo = false;
    bool CheckBoxBG = false;
    bool CheckBoxZbo = false;
    bool CheckBoxKP = false;
    bool CheckBoxTp = false;

    int UpDownKat = 0; // signed -128..127
    QString EditTPS;
    int UpDownTPS = 0;
    QString EditGMP;
    int UpDownGMP = 0;

    // Item indexes as the controller reports them (0..255; the window ignores an index its
    // group does not have).
    int RGKomKor = 0;
    int RGKomRoz = 0;
    int RGWyjKor = 0;
    int RGWyjRoz = 0;
    int RGWejRoz = 0;

    // Map source.
    enum class GridLayout {
        Keep,          // map off: rows and titles stay as they are
        SeventeenRows, // MAP or throttle map: 17 rows, cell (0,0) gridTitle0, cell (0,1) gridTitle1
        TwoRows,       // speed/angle table: 2 rows, row titles in column 0
    };
    int RGMapa = 0;
    int RGMapSor = 0;
    bool RGMapSorVisible = false;
    GridLayout gridLayout = GridLayout::Keep;
    QString gridTitle0;           // "0" or LangText(212)
    QString gridTitle1;           // "6%" or LangText(213)
    bool GridMapaVisible = false; // also ToolBarMap

    // Present only when the controller reports the setting (and, for the rise/fall times, when
    // its identity offers them): a control of a setting the controller lacks keeps its value.
    struct Pair {
        QString text;
        int position = 0;
    };
    std::optional<Pair> MIN; // EditMIN / UpDownMIN
    std::optional<Pair> MAP; // EditMAP / UpDownMAP
    std::optional<Pair> Nar; // EditNar / UpDownNar
    std::optional<Pair> Opa; // EditOpa / UpDownOpa

    // A setting (k > 0) the user changed while this answer was on its way: the edit is still
    // queued, and the controls of that setting keep the user's value. 0: none.
    int keptEdit = 0;
    // Settings whose edits the controller does not hold yet (bit k: setting k): their
    // controls keep the user's value too.
    std::uint32_t keptSettings = 0;
    // Setting writes given up: the controller's answers showed another value after every try.
    QVector<HeldWrites::Setting> notTaken;

    // The settings section of the information report, once per identity.
    bool reportSectionWritten = false;
    QStringList reportLines;
};
