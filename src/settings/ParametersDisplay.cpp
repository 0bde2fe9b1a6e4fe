#include "ParametersDisplay.h"

#include "BgrColor.h"
#include "ControlStates.h"
#include "LeftPanelControls.h"
#include "ParametersHost.h"
#include "SwitchIndicator.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

void setIndexIfPresent(TRadioGroup* group, int index) {
    // An index the group does not have leaves it as it is.
    if (index >= 0 && index < group->Items().size()) {
        group->setItemIndex(index);
    }
}

void setPair(QLineEdit* edit, TUpDown* arrows, const std::optional<SettingsView::Pair>& pair) {
    if (pair) {
        edit->setText(pair->text);
        arrows->setPosition(pair->position);
    }
}

// QLineEdit repaints (and resets its cursor) on every setText, even to the same text.
void setEditText(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) {
        edit->setText(text);
    }
}

} // namespace

ParametersDisplay::ParametersDisplay(LeftPanelControls& controls, ParametersHost& host)
    : c_(controls), host_(host) {}

void ParametersDisplay::applyRefresh(const LiveView::Refresh& r) {
    host_.beep();
    host_.setStatusText(r.statusText);
    c_.PanelSw->setToolTip(r.statusText);
    host_.freezeDrawing(true);
    c_.UpDownKat->setMin(r.upDownKatMinimum);
    host_.setMapPanelVisible(r.mapPanelVisible);
    host_.showChartPanel(r.chartPanel);
    c_.CheckBoxPk->setVisible(r.CheckBoxPkVisible);
    c_.CheckBoxOn->setVisible(r.CheckBoxOnVisible);
    c_.CheckBoxRo->setVisible(r.CheckBoxRoVisible);
    c_.CheckBoxBG->setVisible(r.CheckBoxBGVisible);
    c_.CheckBoxKP->setVisible(r.CheckBoxKPVisible);
    for (TRadioGroup* g : c_.inputOutputGroups()) {
        g->setEnabled(r.radioGroupsEnabled);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{c_.EditNar, c_.EditOpa, c_.UpDownNar,
                                                      c_.UpDownOpa, c_.PanelNar, c_.PanelOpa}) {
        w->setVisible(r.riseFallVisible);
    }
    host_.freezeDrawing(false);
    host_.relayoutLeftPanel();
}

void ParametersDisplay::applyLive(const LiveView& v) {
    // Most live frames repeat most of the last one: a control is touched only when what it
    // shows changes, so an unchanged frame repaints nothing. (Labels and panels skip an equal
    // text or colour themselves; the edit boxes are checked here.)
    const std::uint8_t oldCursor = v.oldLiveCell;
    if (v.refresh) {
        applyRefresh(*v.refresh);
    }
    c_.PanelSta->setColor(colorFromBgr(v.PanelSta));
    c_.LabelSta->setText(v.LabelSta);
    c_.PanelImp->setColor(colorFromBgr(v.PanelImp));
    c_.LabelImp->setText(v.LabelImp);
    c_.PanelPwr->setColor(colorFromBgr(v.PanelPwr));
    c_.PanelGAZ->setColor(colorFromBgr(v.PanelGAZ));
    c_.LabelGaz->setText(v.LabelGaz);
    c_.PanelRPM->setColor(colorFromBgr(v.PanelRPM));
    c_.PanelTPS->setColor(colorFromBgr(v.PanelTPS));
    c_.PanelKAT->setColor(colorFromBgr(v.PanelKAT));
    c_.LabelKat->setColor(colorFromBgr(v.PanelKAT));
    setEditText(c_.EditKat, v.EditKat);
    if (v.EditTPS) {
        setEditText(c_.EditTPS, *v.EditTPS);
    }

    c_.LabelTps->setText(v.LabelTps);
    c_.LabelRpm->setText(v.LabelRpm);
    c_.LabelObc->setText(v.LabelObc);
    // The switch picture follows the mode byte of this very frame (it repaints when that
    // changed).
    c_.PaintBox2->setLiveMode(host_.liveMode());
    c_.LabelRoz->setText(v.LabelRoz);
    c_.LabelSyg->setText(v.LabelSyg);
    c_.LabelMap->setText(v.LabelMap);
    c_.LabelPot->setText(v.LabelPot);
    c_.LabelPwr->setText(v.LabelPwr);
    c_.LabelKat->setText(v.LabelKat);
    c_.LabelRes->setText(v.LabelRes);
    c_.PanelPrzeb->setText(v.PanelPrzeb);
    // The crank-wheel mark shares its cell with the output polarity group, which boards with
    // plain (not peak-to-peak) inputs show: the group keeps the cell then.
    c_.PanelPrzeb->setVisible(!v.PanelPrzeb.isEmpty() && c_.RGWyjKor->isHidden());
    c_.LabelZap->setText(v.LabelZap);

    if (v.cursorMoved && oldCursor != host_.liveCell()) {
        host_.moveMapCursor(oldCursor, host_.liveCell());
    }
    host_.showMeasurement(v.measure);
}

void ParametersDisplay::applySettings(const SettingsView& v) {
    // Each change below may run its control's edit handler, which queues that write again.
    c_.CheckBoxPk->setChecked(v.CheckBoxPk);
    c_.CheckBoxOn->setChecked(v.CheckBoxOn);
    c_.CheckBoxRo->setChecked(v.CheckBoxRo);
    c_.CheckBoxBG->setChecked(v.CheckBoxBG);
    c_.CheckBoxZbo->setChecked(v.CheckBoxZbo);
    c_.CheckBoxKP->setChecked(v.CheckBoxKP);
    c_.CheckBoxTp->setChecked(v.CheckBoxTp);
    c_.UpDownKat->setPosition(v.UpDownKat);
    c_.EditTPS->setText(v.EditTPS);
    c_.UpDownTPS->setPosition(v.UpDownTPS);
    c_.EditGMP->setText(v.EditGMP);
    c_.UpDownGMP->setPosition(v.UpDownGMP);
    setIndexIfPresent(c_.RGKomKor, v.RGKomKor);
    setIndexIfPresent(c_.RGKomRoz, v.RGKomRoz);
    setIndexIfPresent(c_.RGWyjKor, v.RGWyjKor);
    setIndexIfPresent(c_.RGWyjRoz, v.RGWyjRoz);
    setIndexIfPresent(c_.RGWejRoz, v.RGWejRoz);
    setIndexIfPresent(c_.RGMapa, v.RGMapa);
    setIndexIfPresent(c_.RGMapSor, v.RGMapSor);
    c_.RGMapSor->setVisible(v.RGMapSorVisible);
    host_.applyMapGrid(v);
    setPair(c_.EditMIN, c_.UpDownMIN, v.MIN);
    setPair(c_.EditMAP, c_.UpDownMAP, v.MAP);
    setPair(c_.EditNar, c_.UpDownNar, v.Nar);
    setPair(c_.EditOpa, c_.UpDownOpa, v.Opa);
    host_.relayoutLeftPanel();
}

void ParametersDisplay::showUnknownState() {
    const QColor face = buttonFaceColor();
    for (TPanel* p : {c_.PanelSta, c_.PanelGAZ, c_.PanelImp, c_.PanelTPS, c_.PanelRPM, c_.PanelKAT,
                      c_.LabelKat, c_.PanelPwr}) {
        p->setColor(face);
    }
    setBackgroundColor(c_.CheckBoxPk, face);
    setBackgroundColor(c_.CheckBoxOn, face);
}

void ParametersDisplay::setServiceControlsVisible(bool visible) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{c_.PanelRes, c_.LabelRes, c_.PanelZap, c_.LabelZap,
                                         c_.EditGMP, c_.UpDownGMP, c_.PanelTxt5, c_.CheckBoxZbo}) {
        w->setVisible(visible);
    }
}

void ParametersDisplay::fillControlStates(const LeftPanelControls& c, ControlStates& s) {
    s.CheckBoxOn = c.CheckBoxOn->isChecked();
    s.CheckBoxBG = c.CheckBoxBG->isChecked();
    s.CheckBoxTp = c.CheckBoxTp->isChecked();
    s.UpDownGMP = c.UpDownGMP->Position();
    s.RGMapa = c.RGMapa->ItemIndex();
}
