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
    sim_ = std::make_unique<SimController>(config);
    return sim_->start();
}

QString DemoSession::devicePath() const {
    return sim_ != nullptr ? sim_->slavePath() : QString();
}

QString DemoSession::errorString() const {
    return sim_ != nullptr ? sim_->errorString() : QString();
}
