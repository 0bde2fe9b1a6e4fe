#include "DemoSession.h"

#include "FirmwareCatalogue.h"
#include "FirmwareFiles.h"
#include "GeneratedImages.h"

#include "ModelInfo.h"
#include "SimController.h"
#include "SimLine.h"

#include <QTemporaryDir>

DemoSession::DemoSession() = default;

DemoSession::~DemoSession() {
    if (firmware_ != nullptr) {
        FirmwareFiles::SetSessionFolder({});
    }
    if (sim_ != nullptr) {
        sim_->stop();
    }
}

SimLineKind DemoSession::defaultLine() {
    return SimLine::available(SimLineKind::Pty) ? SimLineKind::Pty : SimLineKind::Memory;
}

bool DemoSession::start(bool pacing, SimLineKind line) {
    SimConfig config;
    config.pacing = pacing; // both directions, on either line: the wire adds no pacing
    config.line = line;
    // Two of the other configuration switches on, as on a fitted controller: the first live
    // frame then differs from the identity's mode and lays the panel out for PC configuration.
    config.switchBits = 0x06;
    sim_ = std::make_unique<SimController>(config);
    if (!sim_->start()) {
        return false;
    }
    // The maker's images are not part of the program: the demo's controller gets generated
    // ones, in a temporary folder searched before the user's folders for this run only.
    firmware_ = std::make_unique<QTemporaryDir>();
    if (firmware_->isValid() &&
        GeneratedImages::Install(firmware_->path(), FirmwareCatalogue::ImageIds(
                                                        ModelInfo::of(config.model).deviceId()))) {
        FirmwareFiles::SetSessionFolder(firmware_->path());
    }
    return true;
}

QString DemoSession::devicePath() const {
    return sim_ != nullptr ? sim_->slavePath() : QString();
}

std::shared_ptr<MemoryWire> DemoSession::wire() const {
    return sim_ != nullptr ? sim_->wire() : nullptr;
}

QString DemoSession::errorString() const {
    return sim_ != nullptr ? sim_->errorString() : QString();
}
