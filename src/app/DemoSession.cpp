#include "DemoSession.h"

#include "SimController.h"

DemoSession::DemoSession() = default;

DemoSession::~DemoSession() {
    if (sim_ != nullptr) {
        sim_->stop();
    }
}

bool DemoSession::start(bool pacing) {
    SimConfig config;
    config.pacing = pacing;
    // Two of the other configuration switches on, as on a fitted controller: the first live
    // frame then differs from the identity's mode and lays the panel out for PC configuration.
    config.switchBits = 0x06;
    sim_ = std::make_unique<SimController>(config);
    return sim_->start();
}

QString DemoSession::devicePath() const {
    return sim_ != nullptr ? sim_->slavePath() : QString();
}

QString DemoSession::errorString() const {
    return sim_ != nullptr ? sim_->errorString() : QString();
}
