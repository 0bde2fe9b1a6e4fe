#include "ReplayReader.h"

#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "EventPump.h"
#include "MeasurementRecord.h"
#include "ReadResponse.h"
#include "SerialLink.h"
#include "SettingsView.h"
#include "UserFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

namespace {

using Outcome = ReplayResult::Outcome;
constexpr int Size = MeasurementRecord::Size;

// Replayed records never touch the line: the decoding is handed a link that has nothing.
class NoLink : public SerialLink {
public:
    bool SerialConnected() override { return false; }
    int SerialInQueCount() override { return 0; }
    int SerialRead(std::uint8_t*, int) override { return 0; }
    int SerialWrite(const std::uint8_t*, int) override { return -1; }
};

// Only a regular file, and the open never waits (a FIFO named as a recording).
bool openForReading(QFile& file, const QString& fileName, ReplayResult& result) {
    switch (UserFile::openForReading(file, fileName, &result.error)) {
    case UserFile::Opened::Ok:
        return true;
    case UserFile::Opened::NotRegular:
        result.outcome = Outcome::NotRegular;
        return false;
    case UserFile::Opened::Failed:
        break;
    }
    result.outcome = Outcome::CannotOpen;
    return false;
}

// Takes the device's length; false (TooLarge, with the system's words for it) when no
// recording can be that long.
bool sizeAccepted(const QIODevice& device, ReplayResult& result) {
    result.size = device.size();
    if (result.size <= MaxRecordingBytes) {
        return true;
    }
    result.outcome = Outcome::TooLarge;
    result.error = QStringLiteral("%1: %2 > %3")
                       .arg(QString::fromLocal8Bit(std::strerror(EFBIG)))
                       .arg(result.size)
                       .arg(MaxRecordingBytes);
    return false;
}

// Reads the record at `offset` into RxBuffer (a short read keeps the bytes already there) and
// decodes it as `command`.
void decodeAt(QIODevice& file, qint64 offset, std::uint8_t command, ControllerMirror& m,
              const LangSource& lang, ReplaySink& sink, ReplayResult& result) {
    if (file.pos() != offset) {
        file.seek(offset);
    }
    file.read(reinterpret_cast<char*>(m.RxBuffer.data()), Size);
    NoLink none;
    ResponseResult decoded = ReadResponse(m, none, lang, sink.replayStates(), command);
    if (decoded.settings) {
        // The settings record holds the count, the sum and settings 1..14. The rise and fall
        // times and the map signal limits would come from RxBuffer's bytes behind it, left
        // there by earlier answers: their controls are not set from them.
        decoded.settings->Nar.reset();
        decoded.settings->Opa.reset();
        decoded.settings->MIN.reset();
        decoded.settings->MAP.reset();
    }
    ++result.records;
    sink.replayRecord(decoded, offset);
}

} // namespace

ReplayResult ReplayRecording(ControllerMirror& m, const QString& fileName, const LangSource& lang,
                             ReplaySink& sink, ReplayPace pace) {
    ReplayResult result;
    QFile file;
    if (!openForReading(file, fileName, result)) {
        return result;
    }
    return ReplayRecording(m, file, lang, sink, pace);
}

ReplayResult ReplayRecording(ControllerMirror& m, QIODevice& file, const LangSource& lang,
                             ReplaySink& sink, ReplayPace pace) {
    ReplayResult result;
    if (!sizeAccepted(file, result)) {
        return result;
    }
    if (result.size < Size) {
        result.outcome = Outcome::TooShort;
        return result;
    }
    sink.replayOpened(result.size);
    decodeAt(file, 0, CMD_SETTINGS, m, lang, sink, result);
    for (qint64 b = Size; b < result.size; b += Size) {
        decodeAt(file, b, CMD_LIVE, m, lang, sink, result);
        if (pace == ReplayPace::NoPause) {
            continue;
        }
        EventPump::processEvents();
        EventPump::sleepBlocking(0);
        if (sink.replayCancelled()) {
            break;
        }
        const qint64 jump = sink.replayJump();
        if (jump >= Size && jump < result.size) {
            b = jump / Size * Size - Size; // continue with the record the user chose
        }
    }
    result.outcome = Outcome::Played;
    return result;
}

ReplayResult ReplayRecordAt(ControllerMirror& m, const QString& fileName, int position,
                            const LangSource& lang, ReplaySink& sink) {
    ReplayResult result;
    QFile file;
    if (!openForReading(file, fileName, result)) {
        return result;
    }
    return ReplayRecordAt(m, file, position, lang, sink);
}

ReplayResult ReplayRecordAt(ControllerMirror& m, QIODevice& file, int position,
                            const LangSource& lang, ReplaySink& sink) {
    ReplayResult result;
    if (!sizeAccepted(file, result)) {
        return result;
    }
    if (position < 0 || result.size - Size < qint64{Size} * position) {
        result.outcome = Outcome::NoSuchRecord;
        return result;
    }
    sink.replayOpened(result.size);
    decodeAt(file, 0, CMD_SETTINGS, m, lang, sink, result);
    decodeAt(file, qint64{Size} * position, CMD_LIVE, m, lang, sink, result);
    EventPump::processEvents();
    result.outcome = Outcome::Played;
    return result;
}
