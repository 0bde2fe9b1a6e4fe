#pragma once

#include <QObject>

#include "TUpDown.h"

class QCheckBox;
class TRadioGroup;
class SettingsHost;
struct LeftPanelControls;

// The edit handlers of the settings controls. Each one turns a change of its control into a
// pending setting write (SettingIndex/SettingValue through the host); the controller's answer
// then writes the confirmed value back into the controls, with their signals blocked, so that
// only the user's changes (and the function keys acting as the user) queue a write.
class SettingsEditor : public QObject {
    Q_OBJECT
public:
    SettingsEditor(LeftPanelControls& controls, SettingsHost& host, QObject* parent = nullptr);

    void UpDownKatClick(TUpDown* sender, TUpDown::TUDBtnType button);
    void CheckBoxTpClick();
    void RGKomKorClick(TRadioGroup* sender);
    void RGMapSorClick();
    void CheckBoxPkClick();

    // The background colours that the relay, shift and fuel boxes take from their state.
    void colourBitCheckBoxes();

private:
    LeftPanelControls& c_;
    SettingsHost& host_;
};
