#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <random>

// What the engine model needs from the controller's settings and map.
struct EngineInputs {
    qint8 setAngle = 0;       // ZadanyKąt, 0.2° steps
    quint8 switchBits = 0;    // NastawyBitowe: bit1 shifting on
    quint8 rpmThreshold = 0;  // PrógRPM, 25 rpm steps
    quint8 gmpAngle = 60;     // KatImpGmp, whole degrees
    quint8 mapSource = 0;     // MapaZrodło: 0 = no map correction
    bool tpsInverted = false; // TypTPS bit0
    QByteArray map;           // 240 signed cells
};

// The physical values of one live frame, before the firmware packs them.
struct LiveValues {
    quint8 status = 0; // live byte 0
    bool variatorActive = false;
    qint8 currentAngle = 0;
    qint8 setAngle = 0;
    quint8 load = 0;      // 0..255
    quint8 amplitude = 0; // 0.04 V steps
    quint8 tpsVolts = 0;  // 0.02 V steps
    quint8 mapVolts = 0;
    quint8 potVolts = 0;
    quint8 supplyVolts = 0; // 0.08 V steps
    quint32 period = 0;     // 1/533333.333 s units; 0 = no valid period
    quint16 pulseAngle = 0; // 0.2° steps
    quint8 cell = 0;        // high nibble column, low nibble row - 1
};

// A small car: it cranks, idles near 850 rpm, now and then opens the throttle and lets go,
// warms up and changes from petrol to gas. Time only moves through advance(), and all noise
// comes from one seeded generator, so the same seed and the same steps give the same values.
class EngineModel {
public:
    explicit EngineModel(quint32 seed = 1);

    void setRunning(bool on);
    bool running() const { return on_; }
    void advance(int ms, const EngineInputs& in);
    LiveValues values(const EngineInputs& in) const;

    double rpm() const { return rpm_; }
    bool onGas() const { return onGas_; }

private:
    enum class Throttle { Idle, Opening, Holding, Closing };
    void step10ms();
    int noise(int span); // uniform -span..span

    std::mt19937 rng_;
    bool on_ = false;
    int crankLeftMs_ = 0;
    int runMs_ = 0; // time since the engine caught
    double rpm_ = 0;
    double throttle_ = 0; // 0..1
    double throttlePeak_ = 0;
    Throttle phase_ = Throttle::Idle;
    int phaseLeftMs_ = 0;
    bool onGas_ = false;
    bool camLevel_ = false;
    int jitterRpm_ = 0;
    int jitterSupply_ = 0;
};
