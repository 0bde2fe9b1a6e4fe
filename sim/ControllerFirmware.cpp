#include "ControllerFirmware.h"

#include "FrameCodec.h"

#include <algorithm>

namespace {
// Factory settings 1..18 (setting 0 is the sum and is computed).
constexpr quint8 kDefaults[ControllerFirmware::kMaxSettings] = {
    0,       // SumaNastaw
    0x23,    // relay, pulse shifting and connection check on
    0,       // throttle sensor normal
    40,      // set shift angle 8°
    40,      // throttle threshold 0.8 V
    32,      // engine-speed threshold 800 rpm
    60,      // reference pulse 60° before top dead centre
    1,    1, // comparators 2.5 V
    0,    0,  0, 0,
    1,        // map driven by the MAP sensor
    64,       // map slope 1
    20,   20, // rise and fall times
    50,       // map signal 1.0 V ..
    225,      // .. 4.5 V
};

// Highest value the controller takes for each setting; 0 means any byte.
constexpr quint8 kMaxValue[ControllerFirmware::kMaxSettings] = {0, 0x3F, 1, 0, 0, 0, 0, 3, 3, 1,
                                                                1, 1,    1, 3, 0, 0, 0, 0, 0};

// A gentle correction map: more shift at low load and middle engine speeds.
QByteArray defaultMap() {
    QByteArray cells(ControllerFirmware::kCells, 0);
    for (int n = 0; n < ControllerFirmware::kCells; ++n) {
        const int column = n / 16 + 1;
        const int row = n % 16 + 1;
        const int hump = column <= 8 ? column : 16 - column;
        cells[n] = char(std::clamp(2 * hump - row + 4, -10, 25));
    }
    return cells;
}
} // namespace

ControllerFirmware::ControllerFirmware(const SimConfig& config)
    : config_(config), info_(ModelInfo::of(config.model)), map_(defaultMap()),
      switches_(quint8((config.switchBits & 0x0E) | (config.pcConfig ? 0 : 1))),
      resets_(config.resetCount), engine_(config.seed) {
    if (config.opcjeL)
        info_.opcjeL = *config.opcjeL;
    if (config.opcjeH)
        info_.opcjeH = *config.opcjeH;
    config_.settingsCount = std::clamp(config.settingsCount, 1, kMaxSettings);
    restoreDefaults();
    engine_.setRunning(config.engineRunning);
}

QByteArray ControllerFirmware::answer(quint8 cmd, const QByteArray& data) const {
    return FrameCodec::answer(cmd, data, config_.replyCode == SimReplyCode::Odd);
}

ControllerFirmware::Reply ControllerFirmware::handle(const ReceivedFrame& frame) {
    Reply r;
    if (!frame.checksumOk)
        return r; // the controller ignores a damaged request
    const QByteArray& d = frame.data;
    auto byte = [&d](int i) { return quint8(d[i]); };
    switch (frame.cmd) {
    case 0x50:
        engine_.advance(config_.engineStepMs, engineInputs());
        r.answer = answer(0x50, liveData());
        break;
    case 0x52:
        r.answer = answer(0x52, identityData());
        break;
    case 0x54:
        if (d.size() != 2 || d[0] != d[1])
            break;
        if (byte(0) == 0xCC)
            restoreDefaults();
        else if (byte(0) == 0xC1)
            clearMap();
        else if (byte(0) == 0x5E)
            r.answer = answer(0x54, serviceTextData());
        else if (byte(0) == 0x33)
            r.enterLoader = true;
        break;
    case 0x56:
        if (d.size() == 3 && byte(0) == 0x01)
            writeSetting(byte(1), byte(2));
        else if (!d.isEmpty())
            break;
        r.answer = answer(0x56, settingsData());
        break;
    case 0x5A:
        if (d.size() == 3 && byte(1) == 0x10 && byte(2) == 0x03) {
            const int count = std::min<int>(byte(0), kCells);
            r.answer = answer(0x5A, QByteArray(1, char(count)) + "\x10\x03" + map_.left(count));
        }
        break;
    case 0x5C: {
        if (d.size() < 4 || byte(1) != 0x01)
            break;
        const int n = byte(0);
        const int first = byte(2);
        if (n < 1 || d.size() != n + 3 || first + n > kCells)
            break; // a block that does not fit the map is refused whole
        map_.replace(first, n, d.mid(3, n));
        // The acknowledgement carries the cells at their place counted from cell 0.
        QByteArray ack;
        ack.append(char(n));
        ack.append(char(0x01));
        ack.append(char(first));
        ack.append(map_.left(first + n));
        r.answer = answer(0x5C, ack);
        break;
    }
    default:
        break;
    }
    return r;
}

EngineInputs ControllerFirmware::engineInputs() const {
    EngineInputs in;
    in.setAngle = qint8(settings_[3]);
    in.switchBits = settings_[1];
    in.rpmThreshold = settings_[5];
    in.gmpAngle = settings_[6];
    in.mapSource = settings_[13];
    in.tpsInverted = (settings_[2] & 1) != 0;
    in.map = map_;
    return in;
}

QByteArray ControllerFirmware::liveData() const {
    const LiveValues v = engine_.values(engineInputs());
    QByteArray b(18, 0);
    b[0] = char(v.status);
    b[1] = char(switches_);
    b[2] = char(v.currentAngle);
    b[3] = char(v.setAngle);
    b[4] = char(v.load);
    b[5] = char(v.amplitude);
    b[6] = char(v.tpsVolts);
    b[7] = char(v.mapVolts);
    b[8] = char(v.potVolts);
    b[9] = char(v.supplyVolts);
    b[10] = char(v.period & 0xFF);
    b[11] = char(v.period >> 8 & 0xFF);
    b[12] = char(v.period >> 16 & 0xFF);
    b[13] = char(v.pulseAngle & 0xFF);
    b[14] = char(v.pulseAngle >> 8);
    b[15] = char(v.cell);
    b[16] = char(resets_);
    b[17] = char(config_.crankWheel);
    switch (config_.liveBody) {
    case 19: // oldest firmware: variator bit in the mode byte, no separate status bit
        b[0] = char(v.status & ~0x02);
        b[1] = char(switches_ | (v.variatorActive ? 0x10 : 0));
        break;
    case 20: { // 16-bit period, reset counter in byte 12, no map cell
        const quint32 period = std::min<quint32>(v.period, 0xFFFF);
        b[10] = char(period & 0xFF);
        b[11] = char(period >> 8);
        b[12] = char(resets_);
        b[15] = 0;
        b[16] = 0;
        b.append(char(0));
        break;
    }
    default:
        b.append(QByteArray(2, 0));
        break;
    }
    return b;
}

void ControllerFirmware::takeProgram(const QByteArray& image) {
    constexpr int kImageBytes = 8832;
    constexpr int kStamp = kImageBytes - 8;
    if (image.size() < kImageBytes || image.mid(kStamp, 4) != QByteArray("ORVX"))
        return;
    quint32 id = 0;
    for (int i = 0; i < 4; ++i)
        id = id << 8 | quint8(image[kStamp + 4 + i]);
    // Decimal digits a, b, c, then d: 1320 is 1.3.2.0, 13412 is 1.3.4.12.
    const QByteArray digits = QByteArray::number(id);
    if (digits.size() < 4 || digits.size() > 6)
        return;
    info_.version[0] = quint8(digits[0] - '0');
    info_.version[1] = quint8(digits[1] - '0');
    info_.version[2] = quint8(digits[2] - '0');
    info_.version[3] = quint8(digits.mid(3).toInt());
}

QByteArray ControllerFirmware::identityData() const {
    QByteArray b(99, 0);
    b[0] = char(info_.version[1]);
    b[1] = char(info_.version[0]);
    b[2] = char(9); // built 2009-11-23 14:32:05
    b[3] = char(11);
    b[4] = char(23);
    b[5] = char(14);
    b[6] = char(32);
    b[7] = char(5);
    b[8] = char(info_.model);
    b[9] = char(info_.plytka);
    b[10] = char(info_.montaz);
    b[11] = char(info_.zworki);
    b[12] = char(8); // timer divider
    b[13] = char(6); // tooth size
    b[14] = char(info_.version[2]);
    b[15] = char(info_.version[3]);
    b[16] = char(config_.minWerPc);
    b[17] = char(info_.opcjeL);
    b[18] = char(info_.opcjeH);
    b.replace(19, 16, config_.serialNumber.leftJustified(16, '\0', true));
    b.replace(35, 64, config_.makeModel.leftJustified(64, '\0', true));
    return b;
}

QByteArray ControllerFirmware::settingsData() const {
    return QByteArray(1, char(config_.settingsCount)) + settings();
}

QByteArray ControllerFirmware::settings() const {
    QByteArray s(reinterpret_cast<const char*>(settings_), config_.settingsCount);
    s[0] = char(settingsSum());
    return s;
}

quint8 ControllerFirmware::settingsSum() const {
    quint8 sum = 0;
    for (int k = 1; k < config_.settingsCount; ++k)
        sum = quint8(sum + settings_[k]);
    return sum;
}

bool ControllerFirmware::writeSetting(int k, quint8 value) {
    if (k < 1 || k >= config_.settingsCount)
        return false;
    if (kMaxValue[k] != 0 && value > kMaxValue[k])
        return false;
    if ((k == 15 || k == 16) && value == 0)
        return false; // rise and fall times run 1..255
    settings_[k] = value;
    return true;
}

void ControllerFirmware::restoreDefaults() {
    std::copy(std::begin(kDefaults), std::end(kDefaults), settings_);
}

void ControllerFirmware::setMap(const QByteArray& cells) {
    map_ = cells.left(kCells).leftJustified(kCells, '\0');
}

void ControllerFirmware::clearMap() {
    map_.fill(0);
}

QByteArray ControllerFirmware::serviceTextData() const {
    // Data byte 0 echoes the request; bytes 1..40 hold the text scrambled with a running XOR
    // seeded 0x5E: each byte is combined with the plain byte before it.
    QByteArray plain = config_.serviceText.left(39).leftJustified(40, '\0');
    QByteArray out(1, char(0x5E));
    quint8 running = 0x5E;
    for (char c : plain) {
        out.append(char(quint8(c) ^ running));
        running = quint8(c);
    }
    return out;
}
