#include "BenchFrames.h"

QByteArray BenchFrames::response(int cmd, const QByteArray& data) {
    const int len = data.size() - (cmd & 1);
    QByteArray frame;
    frame.append(char(0x55));
    frame.append(char(len));
    frame.append(char(cmd));
    frame.append(data);
    unsigned sum = 0;
    for (char c : frame) {
        sum += static_cast<unsigned char>(c);
    }
    frame.append(char((~sum + 1) & 0xFF));
    return frame;
}

std::vector<QByteArray> BenchFrames::liveFrames(int count) {
    std::vector<QByteArray> frames;
    frames.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int rpm = 800 + (i * 97) % 4200;
        const unsigned period = 32000000U / static_cast<unsigned>(rpm);
        const int advance = 250 + (i * 13) % 200; // measured pulse angle, 0.2 degree steps
        QByteArray d(20, '\0');
        d[0] = char(0xFE);               // variator on, pulses, supply, gas, rpm/tps/angle ok
        d[1] = char(0x06);               // configuration from the PC, two switches on
        d[2] = char(40 + i % 20);        // set shift angle
        d[3] = char(35 + i % 25);        // current shift angle
        d[4] = char((i * 7) % 256);      // load
        d[5] = char(60 + i % 40);        // sensor amplitude
        d[6] = char(30 + (i * 3) % 200); // throttle
        d[7] = char(50 + (i * 5) % 150); // MAP sensor
        d[8] = char(100 + i % 50);       // potentiometer
        d[9] = char(172);                // 13.8 V supply
        d[10] = char(period & 0xFF);
        d[11] = char((period >> 8) & 0xFF);
        d[12] = char((period >> 16) & 0xFF);
        d[13] = char(advance & 0xFF);
        d[14] = char(advance >> 8);
        d[15] = char(((i % 15) << 4) | (i % 16)); // map cell
        d[16] = char(3);                          // resets
        d[17] = char(1);                          // 60-2 wheel
        frames.push_back(response(0x51, d));
    }
    return frames;
}

QByteArray BenchFrames::settingsFrame() {
    QByteArray d;
    d.append(char(19));
    const unsigned char settings[19] = {0, 0x23, 10, 120, 30, 60,  3, 1,  2, 1,
                                        0, 2,    1,  1,   20, 200, 8, 12, 0};
    unsigned sum = 0;
    for (int k = 1; k < 19; ++k) {
        sum += settings[k];
    }
    d.append(char(sum & 0xFF)); // setting 0 is the sum of the others
    for (int k = 1; k < 19; ++k) {
        d.append(char(settings[k]));
    }
    return response(0x57, d);
}

QByteArray BenchFrames::mapFrame() {
    QByteArray d;
    d.append(char(240));
    d.append(char(0x10));
    d.append(char(0x03));
    for (int c = 0; c < 240; ++c) {
        d.append(char((c * 5) % 120 - 60));
    }
    return response(0x5B, d);
}
