#include "SimLinkRig.h"

#include "BenchClock.h"
#include "SimController.h"
#include "TMySerial.h"

SimLinkRig::SimLinkRig(SimConfig config)
    : sim_(std::make_unique<SimController>(config)), serial_(std::make_unique<TMySerial>()) {
    // A failed open prints instead of showing a box.
    serial_->SetOpenErrorPresenter([this](const QString& text, const QString&) { error_ = text; });
}

SimLinkRig::~SimLinkRig() {
    serial_.reset(); // close the port before its far end goes away
    sim_->stop();
}

bool SimLinkRig::open(double* openMs) {
    if (!sim_->start()) {
        error_ = QStringLiteral("simulator: ") + sim_->errorString();
        return false;
    }
    const BenchClock clock;
    const bool ok = serial_->SerialOpenDevice(sim_->slavePath(), 9600);
    if (openMs != nullptr) {
        *openMs = clock.elapsedMs();
    }
    if (!ok && error_.isEmpty()) {
        error_ = QStringLiteral("cannot open ") + sim_->slavePath();
    }
    return ok;
}
