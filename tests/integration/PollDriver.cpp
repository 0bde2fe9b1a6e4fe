#include "PollDriver.h"

#include "PollCycle.h"

PollDriver::PollDriver(SerialLink& link, const LangSource& lang, int timeScale)
    : link(link), lang(lang), timeScale(timeScale) {
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &PollDriver::onTimer);
}

void PollDriver::start() {
    clock.start();
    timer.start(0);
}

void PollDriver::stop() {
    timer.stop();
}

void PollDriver::onTimer() {
    const PollTickResult r = PollCycle::Tick(mirror, link, lang, states);
    Tick t;
    t.atMs = clock.elapsed();
    t.interval = r.interval;
    t.command = r.requestSent ? r.command : 0;
    t.answered = r.response && r.response->outcome == ResponseResult::Outcome::Accepted;
    t.lossReset = r.lossReset.has_value();
    t.showImage1 = r.showImage1;
    if (r.lossReset) {
        states.Image1Visible = false;
        states.PanelMapyVisible = false;
    }
    if (r.showImage1) {
        states.Image1Visible = true;
    }
    if (r.response && r.response->live && r.response->live->refresh) {
        states.PanelMapyVisible = r.response->live->refresh->mapPanelVisible;
    }
    if (r.response && r.response->settings) {
        states.RGMapa = r.response->settings->RGMapa;
        states.UpDownGMP = r.response->settings->UpDownGMP;
        states.CheckBoxOn = r.response->settings->CheckBoxOn;
        states.CheckBoxBG = r.response->settings->CheckBoxBG;
        states.CheckBoxTp = r.response->settings->CheckBoxTp;
        if (r.response->settings->reportSectionWritten) {
            states.InfoReportTag = 1;
        }
    }
    if (r.response && r.response->identity && r.response->identity->reportWritten) {
        states.InfoReportTag = 0;
    }
    ticks.append(t);
    results.append(r);
    timer.start(r.interval / timeScale);
}
