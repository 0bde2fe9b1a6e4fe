#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class TPanel;
class TRadioGroup;
class TUpDown;
class SwitchIndicator;

// The containers of the left panel in which the controls are created. The window owns them
// and lays them out one below the other; the controls inside are placed by the left-panel
// layout from their tags.
struct LeftPanelContainers {
    QWidget* PanelNas1 = nullptr;    // live values and most settings
    QWidget* PanelCzuj = nullptr;    // crankshaft and camshaft signal groups
    QWidget* PanelMapyTop = nullptr; // map controls, the top strip of PanelMapy
    QWidget* PanelInne = nullptr;    // service extras (the window keeps this panel hidden)
};

// Every tagged control of the left panel under its design name. The main window inherits this
// struct, so that `CheckBoxPk`, `UpDownKat`, ... are its members, and calls
// createLeftPanelControls() once in its constructor. Each control gets objectName = its member
// name and its packed Tag (ControlTag::of reads it).
//
// Classes: state panels, value labels and captions are TPanel (colour via setColor); bit
// options are QCheckBox; the read-only value boxes are QLineEdit; arrows are TUpDown; choices
// are TRadioGroup. PaintBox2 (in PanelSw) draws the four switches.
struct LeftPanelControls {
    // PanelNas1
    TPanel* PanelSta = nullptr;
    TPanel* LabelSta = nullptr;
    TPanel* PanelPrz = nullptr;
    TPanel* PanelSw = nullptr;
    QCheckBox* CheckBoxPk = nullptr;
    TPanel* PanelImp = nullptr;
    TPanel* LabelImp = nullptr;
    QCheckBox* CheckBoxOn = nullptr;
    QCheckBox* CheckBoxRo = nullptr;
    TPanel* PanelGAZ = nullptr;
    TPanel* LabelGaz = nullptr;
    QCheckBox* CheckBoxKP = nullptr;
    QCheckBox* CheckBoxBG = nullptr;
    TPanel* PanelPwr = nullptr;
    TPanel* LabelPwr = nullptr;
    QCheckBox* CheckBoxTp = nullptr;
    TPanel* PanelTPS = nullptr;
    TPanel* LabelTps = nullptr;
    QLineEdit* EditTPS = nullptr;
    TUpDown* UpDownTPS = nullptr;
    TPanel* PanelTxt1 = nullptr;
    TPanel* PanelRPM = nullptr;
    TPanel* LabelRpm = nullptr;
    QLineEdit* EditRPM = nullptr;
    TUpDown* UpDownRPM = nullptr;
    TPanel* PanelTxt2 = nullptr;
    QLineEdit* EditNar = nullptr;
    TUpDown* UpDownNar = nullptr;
    TPanel* PanelNar = nullptr;
    TPanel* PanelKAT = nullptr;
    TPanel* LabelKat = nullptr;
    QLineEdit* EditKat = nullptr;
    TUpDown* UpDownKat = nullptr;
    TPanel* PanelTxt3 = nullptr;
    QLineEdit* EditOpa = nullptr;
    TUpDown* UpDownOpa = nullptr;
    TPanel* PanelOpa = nullptr;
    TPanel* PanelPot = nullptr;
    TPanel* LabelPot = nullptr;
    TPanel* PanelMAP = nullptr;
    TPanel* LabelMap = nullptr;
    TPanel* PanelRes = nullptr;
    TPanel* LabelRes = nullptr;
    SwitchIndicator* PaintBox2 = nullptr; // fills PanelSw
    QLabel* OpisSygaly = nullptr;         // caption "Sygnały :"; also the Tx frame log
    QLabel* OpisNastawy = nullptr;        // caption "Nastawy :"; also the Rx frame log

    // PanelCzuj
    TPanel* PanelSyg = nullptr;
    TPanel* LabelSyg = nullptr;
    TPanel* PanelPrzeb = nullptr;
    TRadioGroup* RGWyjKor = nullptr;
    TRadioGroup* RGKomKor = nullptr;
    TPanel* PanelRoz = nullptr;
    TPanel* LabelRoz = nullptr;
    TRadioGroup* RGWyjRoz = nullptr;
    TRadioGroup* RGKomRoz = nullptr;
    TRadioGroup* RGWejRoz = nullptr;
    QLabel* OpisKor = nullptr;
    QLabel* OpisRoz = nullptr;

    // PanelMapyTop
    TRadioGroup* RGMapa = nullptr;
    TRadioGroup* RGMapSor = nullptr;
    TPanel* PanelObc = nullptr;
    TPanel* LabelObc = nullptr;
    QLineEdit* EditMIN = nullptr;
    TUpDown* UpDownMIN = nullptr;
    TPanel* TxtMIN = nullptr;
    QLineEdit* EditMAP = nullptr;
    TUpDown* UpDownMAP = nullptr;
    TPanel* PanelTxt4 = nullptr;
    QLabel* Label14 = nullptr; // caption "Mapa korekty zapłonu"

    // PanelInne
    TPanel* PanelZap = nullptr;
    TPanel* LabelZap = nullptr;
    QLineEdit* EditGMP = nullptr;
    TUpDown* UpDownGMP = nullptr;
    TPanel* PanelTxt5 = nullptr;
    QCheckBox* CheckBoxZbo = nullptr;

    // Creates every control above inside the given containers, with its name, Tag, designed
    // caption (Polish, until the language is applied), items, ranges and initial visibility.
    void createLeftPanelControls(const LeftPanelContainers& containers);

    // The controls that carry a Tag, in creation order.
    QList<QWidget*> taggedControls() const { return tagged_; }
    // The six bit-option boxes in bit order 0..5 (Pk, On, Ro, BG, Zbo, KP).
    QList<QCheckBox*> bitCheckBoxes() const;
    // The eight arrow controls and the five comparator/polarity groups.
    QList<TUpDown*> arrowControls() const;
    QList<TRadioGroup*> inputOutputGroups() const;

private:
    QList<QWidget*> tagged_;
};
