#include "EngineModel.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kCrankMs = 1200;
constexpr int kWarmUpMs = 15000; // petrol until the reducer is warm
constexpr double kIdleRpm = 850;
constexpr double kMaxRpm = 5200;

quint8 clampByte(double v) {
    return quint8(std::clamp(std::lround(v), 0L, 255L));
}
} // namespace

EngineModel::EngineModel(quint32 seed) : rng_(seed) {}

int EngineModel::noise(int span) {
    return int(rng_() % quint32(2 * span + 1)) - span;
}

void EngineModel::setRunning(bool on) {
    if (on == on_)
        return;
    on_ = on;
    runMs_ = 0;
    onGas_ = false;
    throttle_ = 0;
    phase_ = Throttle::Idle;
    phaseLeftMs_ = 5000;
    rpm_ = 0;
    crankLeftMs_ = on ? kCrankMs : 0;
}

void EngineModel::advance(int ms, const EngineInputs&) {
    for (int t = 0; t < ms; t += 10)
        step10ms();
}

void EngineModel::step10ms() {
    camLevel_ = !camLevel_ ? (rng_() % 4 == 0) : (rng_() % 4 != 0);
    jitterSupply_ = noise(1);
    if (!on_) {
        rpm_ = 0;
        return;
    }
    if (crankLeftMs_ > 0) {
        crankLeftMs_ -= 10;
        rpm_ = 240 + noise(20);
        return;
    }
    runMs_ += 10;
    if (runMs_ >= kWarmUpMs)
        onGas_ = true;

    // Throttle: idle for a while, open to a random peak, hold, close again.
    phaseLeftMs_ -= 10;
    switch (phase_) {
    case Throttle::Idle:
        throttle_ = 0;
        if (phaseLeftMs_ <= 0) {
            phase_ = Throttle::Opening;
            throttlePeak_ = 0.25 + double(rng_() % 56) / 100.0;
            phaseLeftMs_ = 1500 + int(rng_() % 1000);
        }
        break;
    case Throttle::Opening:
        throttle_ = std::min(throttlePeak_, throttle_ + throttlePeak_ / 150.0);
        if (phaseLeftMs_ <= 0) {
            phase_ = Throttle::Holding;
            phaseLeftMs_ = 800 + int(rng_() % 1500);
        }
        break;
    case Throttle::Holding:
        if (phaseLeftMs_ <= 0) {
            phase_ = Throttle::Closing;
            phaseLeftMs_ = 1200;
        }
        break;
    case Throttle::Closing:
        throttle_ = std::max(0.0, throttle_ - throttlePeak_ / 100.0);
        if (phaseLeftMs_ <= 0 && throttle_ <= 0) {
            phase_ = Throttle::Idle;
            phaseLeftMs_ = 4000 + int(rng_() % 5000);
        }
        break;
    }

    if (rng_() % 8 == 0)
        jitterRpm_ = noise(15);
    const double target = kIdleRpm + throttle_ * (kMaxRpm - kIdleRpm) + jitterRpm_;
    const double lag = target > rpm_ ? 0.06 : 0.04; // the engine revs up faster than it drops
    rpm_ += (target - rpm_) * lag;
    if (rpm_ < 300)
        rpm_ = 300 + (target - 300) * 0.1; // just caught: climb out of cranking speed
}

LiveValues EngineModel::values(const EngineInputs& in) const {
    LiveValues v;
    const bool running = on_ && rpm_ > 0;
    const bool caught = running && crankLeftMs_ <= 0;

    // Load follows the throttle and falls a little as the engine speeds up.
    const double loadPct =
        caught ? std::clamp(18.0 + throttle_ * 80.0 - (rpm_ - kIdleRpm) / 400.0, 5.0, 100.0)
               : (running ? 60.0 : 0.0);
    v.load = clampByte(loadPct * 255.0 / 100.0);
    const double tps = 0.5 + throttle_ * 4.0;
    v.tpsVolts = clampByte((in.tpsInverted ? 5.0 - tps : tps) / 0.02);
    v.mapVolts = clampByte((running ? 0.9 + loadPct / 100.0 * 3.4 : 4.1) / 0.02);
    v.potVolts = 125; // 2.5 V, a trim potentiometer left in the middle
    const double supply = caught ? 13.8 : (running ? 10.6 : 12.5);
    v.supplyVolts = quint8(clampByte(supply / 0.08) + jitterSupply_);
    v.amplitude = running ? clampByte((1.2 + rpm_ / 1000.0 * 1.1) / 0.04) : 0;
    v.period = running ? quint32(std::lround(32000000.0 / rpm_)) : 0;

    const int column = std::clamp(int((rpm_ - 400.0) / 400.0), 1, 15);
    const int row = std::clamp(int(std::ceil(loadPct / 6.25)), 1, 16);
    v.cell = quint8(column << 4 | (row - 1));

    v.setAngle = in.setAngle;
    v.variatorActive = (in.switchBits & 0x02) != 0;
    const bool shifting =
        v.variatorActive && onGas_ && caught && rpm_ >= double(in.rpmThreshold) * 25.0;
    if (shifting) {
        int angle = in.setAngle;
        const int n = (column - 1) * 16 + (row - 1);
        if (in.mapSource != 0 && n < in.map.size())
            angle += qint8(in.map[n]);
        v.currentAngle = qint8(std::clamp(angle, -128, 127));
    }

    // Advance the engine control unit would fire at, seen through the shifted pulses.
    const double baseDeg = std::clamp(8.0 + (rpm_ - kIdleRpm) / 150.0 - loadPct / 10.0, 4.0, 34.0);
    const int z = int(std::lround(baseDeg * 5.0)) + v.currentAngle;
    v.pulseAngle = running ? quint16(std::max(0, int(in.gmpAngle) * 5 - z)) : 0;

    v.status = quint8((camLevel_ ? 0x01 : 0) | (v.variatorActive ? 0x02 : 0) |
                      (running ? 0x04 : 0) | (supply >= 11.0 ? 0x08 : 0) | (onGas_ ? 0x10 : 0) |
                      (caught ? 0x20 : 0) | 0x40 | (shifting ? 0x80 : 0));
    return v;
}
