#include "SettingsEditor.h"

#include "BgrColor.h"
#include "ControlTag.h"
#include "LeftPanelControls.h"
#include "SettingEditRules.h"
#include "SettingsHost.h"
#include "TRadioGroup.h"

#include <QCheckBox>

namespace {} // namespace

SettingsEditor::SettingsEditor(LeftPanelControls& controls, SettingsHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host) {
    for (TUpDown* u : c_.arrowControls()) {
        connect(u, &TUpDown::OnClick, this, &SettingsEditor::UpDownKatClick);
    }
    connect(c_.CheckBoxTp, &QCheckBox::toggled, this, [this] { CheckBoxTpClick(); });
    for (TRadioGroup* g : c_.inputOutputGroups()) {
        connect(g, &TRadioGroup::OnClick, this, &SettingsEditor::RGKomKorClick);
    }
    connect(c_.RGMapa, &TRadioGroup::OnClick, this, [this] { RGMapSorClick(); });
    connect(c_.RGMapSor, &TRadioGroup::OnClick, this, [this] { RGMapSorClick(); });
    for (QCheckBox* b : c_.bitCheckBoxes()) {
        connect(b, &QCheckBox::toggled, this, [this] { CheckBoxPkClick(); });
    }
}

void SettingsEditor::UpDownKatClick(TUpDown* sender, TUpDown::TUDBtnType button) {
    const int k = ControlTag::setting(ControlTag::of(sender));
    if (k == 3 && (host_.optionsHigh() & 0x04) != 0 && c_.RGMapa->ItemIndex() != 0) {
        // With the map in use the set-angle arrows tune the map cell the engine is in.
        const int cell = host_.liveCell();
        host_.stepLiveMapCell(cell >> 4, (cell & 15) + 1, button == TUpDown::btNext);
        return;
    }
    if (k == 17) {
        const auto a = SettingEditRules::minSignalAfterStep(c_.UpDownMIN->Position(),
                                                            c_.UpDownMAP->Position());
        if (a.beep) {
            c_.UpDownMIN->setPosition(a.position);
            host_.beep();
        }
    } else if (k == 18) {
        const auto a = SettingEditRules::maxSignalAfterStep(c_.UpDownMIN->Position(),
                                                            c_.UpDownMAP->Position());
        if (a.beep) {
            c_.UpDownMAP->setPosition(a.position);
            host_.beep();
        }
    }
    host_.queueSettingWrite(k, sender->Position());
}

void SettingsEditor::CheckBoxTpClick() {
    host_.queueSettingWrite(2, c_.CheckBoxTp->isChecked());
}

void SettingsEditor::RGKomKorClick(TRadioGroup* sender) {
    if (sender->ItemIndex() >= 0) {
        host_.queueSettingWrite(static_cast<int>(ControlTag::of(sender) & 15), sender->ItemIndex());
    }
    host_.repaintMapGrid();
}

void SettingsEditor::RGMapSorClick() {
    host_.setStatusText(QString());
    // With no source named there is no value to write: queueing the index alone would send
    // whatever value an earlier edit left behind.
    const auto value =
        SettingEditRules::mapSourceValue(c_.RGMapa->ItemIndex(), c_.RGMapSor->ItemIndex());
    if (!value) {
        return;
    }
    host_.queueSettingWrite(13, *value);
    host_.showChartPanel((host_.optionsHigh() & 0x04) != 0 && c_.RGMapa->ItemIndex() == 2);
    host_.repaintMapGrid();
    host_.relayoutLeftPanel();
}

void SettingsEditor::CheckBoxPkClick() {
    const int value = SettingEditRules::bitByte(
        c_.CheckBoxPk->isChecked(), c_.CheckBoxOn->isChecked(), c_.CheckBoxRo->isChecked(),
        c_.CheckBoxBG->isChecked(), c_.CheckBoxZbo->isChecked(), c_.CheckBoxKP->isChecked());
    host_.queueSettingWrite(1, value);
    colourBitCheckBoxes();
}

void SettingsEditor::colourBitCheckBoxes() {
    const QColor face = buttonFaceColor();
    setBackgroundColor(c_.CheckBoxPk,
                       c_.CheckBoxPk->isChecked() ? face : colorFromBgr(BgrColors::Yellow));
    setBackgroundColor(c_.CheckBoxOn,
                       c_.CheckBoxOn->isChecked() ? face : colorFromBgr(BgrColors::Red));
    setBackgroundColor(c_.CheckBoxBG,
                       c_.CheckBoxBG->isChecked() ? colorFromBgr(BgrColors::Yellow) : face);
}
