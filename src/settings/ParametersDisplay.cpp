#include "ParametersDisplay.h"

#include "BgrColor.h"
#include "ControlStates.h"
#include "ControlTag.h"
#include "LeftPanelControls.h"
#include "ParametersHost.h"
#include "SwitchIndicator.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include <memory>
#include <vector>

namespace {

void setIndexIfPresent(TRadioGroup* group, int index) {
    // An index the group does not have leaves it as it is.
    if (index >= 0 && index < group->Items().size()) {
        group->setItemIndex(index);
    }
}

void setPair(QLineEdit* edit, TUpDown* arrows, const std::optional<SettingsView::Pair>& pair) {
    if (pair) {
        if (edit != nullptr) {
            edit->setText(pair->text);
        }
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
    // The controller's values are no edit of the user: their change handlers must not run, or
    // they would queue a write of what was just read (or of an old value over a newer edit).
    QList<QObject*> controls;
    for (QCheckBox* b : c_.bitCheckBoxes()) {
        controls << b;
    }
    for (TRadioGroup* g : c_.inputOutputGroups()) {
        controls << g;
    }
    controls << c_.CheckBoxTp << c_.RGMapa << c_.RGMapSor;
    for (TUpDown* u : c_.arrowControls()) {
        controls << u;
    }
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (QObject* o : controls) {
        quiet.push_back(std::make_unique<QSignalBlocker>(o));
    }
    // The controls of a setting the user changed meanwhile keep the user's value.
    auto shown = [&v](const QObject* control) {
        const int k = ControlTag::setting(ControlTag::of(control));
        return (v.keptEdit <= 0 || k != v.keptEdit) && (k <= 0 || (v.keptSettings >> k & 1U) == 0);
    };
    auto check = [&shown](QCheckBox* box, bool on) {
        if (shown(box)) {
            box->setChecked(on);
        }
    };
    auto choose = [&shown](TRadioGroup* group, int index) {
        if (shown(group)) {
            setIndexIfPresent(group, index);
        }
    };
    auto pair = [&shown](QLineEdit* edit, TUpDown* arrows,
                         const std::optional<SettingsView::Pair>& p) {
        if (shown(arrows)) {
            setPair(edit, arrows, p);
        }
    };
    const int mapaBefore = c_.RGMapa->ItemIndex();
    check(c_.CheckBoxPk, v.CheckBoxPk);
    check(c_.CheckBoxOn, v.CheckBoxOn);
    check(c_.CheckBoxRo, v.CheckBoxRo);
    check(c_.CheckBoxBG, v.CheckBoxBG);
    check(c_.CheckBoxZbo, v.CheckBoxZbo);
    check(c_.CheckBoxKP, v.CheckBoxKP);
    check(c_.CheckBoxTp, v.CheckBoxTp);
    pair(nullptr, c_.UpDownKat, SettingsView::Pair{QString(), v.UpDownKat});
    pair(c_.EditTPS, c_.UpDownTPS, SettingsView::Pair{v.EditTPS, v.UpDownTPS});
    pair(c_.EditGMP, c_.UpDownGMP, SettingsView::Pair{v.EditGMP, v.UpDownGMP});
    choose(c_.RGKomKor, v.RGKomKor);
    choose(c_.RGKomRoz, v.RGKomRoz);
    choose(c_.RGWyjKor, v.RGWyjKor);
    choose(c_.RGWyjRoz, v.RGWyjRoz);
    choose(c_.RGWejRoz, v.RGWejRoz);
    if (shown(c_.RGMapa)) {
        setIndexIfPresent(c_.RGMapa, v.RGMapa);
        setIndexIfPresent(c_.RGMapSor, v.RGMapSor);
        c_.RGMapSor->setVisible(v.RGMapSorVisible);
        host_.applyMapGrid(v);
    }
    pair(c_.EditMIN, c_.UpDownMIN, v.MIN);
    pair(c_.EditMAP, c_.UpDownMAP, v.MAP);
    pair(c_.EditNar, c_.UpDownNar, v.Nar);
    pair(c_.EditOpa, c_.UpDownOpa, v.Opa);
    quiet.clear();

    // What the map choice's handler would have shown, without its write.
    if (c_.RGMapa->ItemIndex() != mapaBefore) {
        host_.showChartPanel((host_.optionsHigh() & 0x04) != 0 && host_.mapPanelVisible() &&
                             c_.RGMapa->ItemIndex() == 2);
    }
    host_.repaintMapGrid();
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
