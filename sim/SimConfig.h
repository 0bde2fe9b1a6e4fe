#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <optional>

// Which line the simulator serves.
enum class SimLineKind {
    Pty,    // a pseudo-terminal that any client opens by its path (POSIX systems only)
    Memory, // an in-memory wire that the program's port facade attaches to (every system)
};

// Which controller the simulator plays. The identity words are Płytka, Model, Montaż, Zworki.
enum class SimModel {
    Vx01,  // KOLVA-VX-01, DeviceId 0x0801E0E0
    Vx01c, // KOLVA-VX-01, DeviceId 0x0801C0C0
    Vx02,  // KOLVA-VX-02, DeviceId 0x08026060
};

// The application firmware answers a request either with the request code itself (Even) or
// with the request code + 1 (Odd, which carries one data byte more than LEN says). The boot
// loader always answers with the even code: its identity must have LEN 9 and a 10-byte body.
enum class SimReplyCode { Even, Odd };

// One fault of the line. Several may be active at once; each applies to the answers that match
// its filter (onlyCommand: a request code, -1 = any; everyNth: 0 or 1 = every matching answer,
// N = the N-th, 2N-th, ... matching answer).
struct SimFault {
    enum Kind {
        Silence,     // arg N: answer the first N matching requests, then drop them unanswered
        Late,        // arg N: answer N ms later than usual (default 100)
        BadChecksum, // the checksum byte is off by one
        Garbage,     // arg N: N stray bytes (never 0x55) before the answer (default 3)
        Truncated,   // arg N: the last N bytes of the answer are cut off (default: half the body)
        WrongStart,  // the header byte is 0xAA instead of 0x55
        HangUp,      // close the line: the pty disappears, the far end sees a hang-up
        Split,       // arg N: the first 4 bytes of the answer, then N ms still (default 150),
                     // then the rest
    };
    Kind kind = Silence;
    int arg = 0;
    int onlyCommand = -1;
    int everyNth = 0;
    // The boot loader's request for this block, the first time it asks for it ("@block100"):
    // late, split and the answer's damage; silence loses that request (the block was taken).
    int atBlock = -1;

    // Parses "NAME[:ARG][@CMD][/N]", e.g. "silence:5", "late:300@0x50", "checksum/3",
    // "late:2000@block100".
    // Names: silence, late, checksum, garbage, truncate, start, hangup, split.
    static std::optional<SimFault> parse(const QString& text, QString* error = nullptr);
    static QStringList names();
};

struct SimConfig {
    SimModel model = SimModel::Vx01;
    int settingsCount = 19; // N of the settings frame: 15 .. 19 (see the README)
    int liveBody = 21;      // live answer body length incl. checksum: 19, 20 or 21
    bool pcConfig = true;   // live byte 1 bit 0 clear: configuration from the PC
    quint8 switchBits = 0;  // live byte 1 bits 1..3 (the three other configuration switches)
    bool engineRunning = true;
    SimReplyCode replyCode = SimReplyCode::Odd;

    // Identity details; unset optionals take the model's own values.
    std::optional<quint8> opcjeL;
    std::optional<quint8> opcjeH;
    quint8 minWerPc = 2;
    QByteArray makeModel = "Skoda Octavia 1.6 MPI LPG"; // up to 64 bytes
    QByteArray serialNumber = QByteArray::fromHex("20210915A3C47E01B5D8962F0C13E4A7");
    QByteArray serviceText = "Serwis LPG Nowak, tel. 600 123 456"; // up to 39 bytes
    quint8 resetCount = 3;
    quint8 crankWheel = 1; // live byte 17: 1 = 60-2, 2 = 36-1

    // Boot loader.
    bool startInLoader = false;
    int loaderVersion = 103;     // hundredths: 103 = 1.03
    quint8 loaderMarker = 0;     // Znacznik while in the loader
    quint16 loaderBase = 0x0100; // LoaderBase word of the loader identity
    bool failUpdate = false;     // after the closing request stay in the loader

    // The line served. The in-memory wire carries bytes as they come: pacing applies to both.
    SimLineKind line = SimLineKind::Pty;

    // Timing.
    bool pacing = true;     // 9600 bit/s in both directions (about 1.04 ms a byte)
    int replyLatencyMs = 2; // between the last request byte and the first answer byte
    int flashWriteMs = 5;   // loader: flash time per received block
    int engineStepMs = 100; // engine-model time that passes per live request

    quint32 seed = 1;

    // Called on the simulator's thread.
    std::function<void(const QString& line)> log;               // one line per frame when set
    std::function<void(const QByteArray& image)> imageReceived; // end of a firmware transfer
};
