#pragma once

#include "EngineModel.h"
#include "ModelInfo.h"
#include "RequestParser.h"
#include "SimConfig.h"

#include <QByteArray>

// The controller's application firmware: identity, settings, ignition map, live values and
// the service requests. Not thread-safe; the owner serialises access.
class ControllerFirmware {
public:
    static constexpr int kMaxSettings = 19;
    static constexpr int kCells = 240;

    struct Reply {
        QByteArray answer;        // empty: the request is not answered
        bool enterLoader = false; // 33 33: hand over to the boot loader
    };

    explicit ControllerFirmware(const SimConfig& config);

    Reply handle(const ReceivedFrame& frame);

    // Live frame data (without header and checksum) in the configured body form.
    QByteArray liveData() const;
    QByteArray identityData() const;
    QByteArray settingsData() const; // N, S0 .. S(N-1)
    QByteArray serviceTextData() const;

    bool writeSetting(int k, quint8 value);
    void restoreDefaults();
    QByteArray settings() const; // S0 .. S(N-1)
    const QByteArray& map() const { return map_; }
    void setMap(const QByteArray& cells);
    void clearMap();

    void setEngineRunning(bool on) { engine_.setRunning(on); }
    void setSwitchBits(quint8 bits) { switches_ = bits & 0x0F; }
    quint8 switchBits() const { return switches_; }
    void countReset() { resets_ = quint8(resets_ + 1); }
    ModelInfo info() const { return info_; }
    // A new program from the loader: a stand-in image names its id in its last eight bytes of
    // the 8832 ("ORVX", id high byte first), and id 13vd is version 1.3.v.d, which the
    // identity reports from then on. Other images leave the version as it was.
    void takeProgram(const QByteArray& image);

private:
    EngineInputs engineInputs() const;
    QByteArray answer(quint8 cmd, const QByteArray& data) const;
    quint8 settingsSum() const;

    SimConfig config_;
    ModelInfo info_;
    quint8 settings_[kMaxSettings] = {};
    QByteArray map_;
    quint8 switches_ = 0;
    quint8 resets_ = 0;
    EngineModel engine_;
};
