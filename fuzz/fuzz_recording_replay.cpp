// Replay of any recording file: whole replays (as the chart reads a file) and single records
// (as the window shows one). Every file of at least one record plays to its end with one
// decoded record per 16 bytes (a short last one included), a shorter one is refused, and
// nothing outside the record is read into the mirror's other buffers.

#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FakeLang.h"
#include "FuzzInput.h"
#include "ReplayReader.h"

#include <QBuffer>

namespace {

class CountingSink : public ReplaySink {
public:
    ControlStates replayStates() override { return states; }
    void replayOpened(qint64 bytes) override { size = bytes; }
    void replayRecord(const ResponseResult&, qint64 offset) override {
        FUZZ_CHECK(offset % 16 == 0 && offset >= 0 && offset < size);
        ++records;
    }
    ControlStates states;
    qint64 size = -1;
    int records = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FakeLang lang;
    if (size < 1) {
        return 0;
    }
    // The first byte chooses a whole replay or the record to show; the rest is the file.
    const int choice = data[0];
    // The rest is read as a file would be, but from memory: no disk and no copy.
    QByteArray content =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    QBuffer file(&content);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    const qint64 bytes = qint64(size - 1);
    ControllerMirror m;
    m.TxBuffer[1023] = 0x5A;
    m.MapTable[0] = 0xC3;
    CountingSink sink;
    sink.states.CheckBoxTp = (choice & 0x40) != 0;
    sink.states.PanelMapyVisible = (choice & 0x20) != 0;
    if (choice < 0x80) {
        // A whole replay straight through is the chart's scan of the file: values only.
        sink.states.TextsShown = false;
        const ReplayResult r = ReplayRecording(m, file, lang, sink, ReplayPace::NoPause);
        FUZZ_CHECK(r.size == bytes);
        if (bytes < 16) {
            FUZZ_CHECK(r.outcome == ReplayResult::Outcome::TooShort && sink.records == 0);
        } else {
            FUZZ_CHECK(r.outcome == ReplayResult::Outcome::Played);
            FUZZ_CHECK(r.records == int((bytes + 15) / 16) && sink.records == r.records);
        }
    } else {
        const int position = choice & 0x1F;
        const ReplayResult r = ReplayRecordAt(m, file, position, lang, sink);
        const bool there = qint64(position) * 16 + 16 <= bytes; // whole records only
        FUZZ_CHECK(r.outcome ==
                   (there ? ReplayResult::Outcome::Played : ReplayResult::Outcome::NoSuchRecord));
    }
    FUZZ_CHECK(m.TxBuffer[1023] == 0x5A && m.MapTable[0] == 0xC3);
    return 0;
}
