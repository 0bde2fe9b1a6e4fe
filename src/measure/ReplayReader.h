#pragma once

#include "ResponseResult.h"

#include <QString>

class QIODevice;
struct ControllerMirror;
struct ControlStates;
class LangSource;

// What a replay shows while it reads a recording. The recordings (and through them the
// window) implement it; tests implement it with plain fields.
class ReplaySink {
public:
    virtual ~ReplaySink() = default;
    // The window's states that the decoding reads, fetched before every record.
    virtual ControlStates replayStates() = 0;
    // The file is open and `size` bytes long (before anything is decoded).
    virtual void replayOpened(qint64 size) = 0;
    // One record was decoded; `offset` is where it starts in the file.
    virtual void replayRecord(const ResponseResult& result, qint64 offset) = 0;
    // Between two records of a full replay: the offset of the record to continue with when the
    // user asked to jump there, otherwise -1.
    virtual qint64 replayJump() { return -1; }
    // Between two records: true ends the replay there (the window is closing).
    virtual bool replayCancelled() { return false; }
};

struct ReplayResult {
    enum class Outcome {
        Played,       // everything asked for was decoded
        CannotOpen,   // the file could not be opened for reading (error)
        TooShort,     // shorter than one record: nothing decoded
        NoSuchRecord, // the record asked for is not in the file (the settings record was not
                      // decoded either)
        TooLarge,     // longer than any recording (MaxRecordingBytes): nothing decoded
        NotRegular,   // a folder, a device or a FIFO: refused without being opened
    };
    Outcome outcome = Outcome::CannotOpen;
    qint64 size = 0; // the file's length when it opened
    int records = 0; // records decoded, the settings record included
    QString error;
};

// The longest recording that is read: 16 MiB, a million records, about 40 hours at the poll
// rate. A longer file is no recording of this program (or one that would freeze the window for
// minutes while the chart reads it): it is refused before anything is decoded.
constexpr qint64 MaxRecordingBytes = qint64{16} << 20;

enum class ReplayPace {
    Display, // events are processed between records: the window shows every record
    NoPause, // straight through (reading a recording for the chart)
};

// Plays a whole recording: the record at offset 0 decoded as a settings answer, then every
// further record (a short last one included: its missing bytes keep those of the record before)
// as a live answer, each through ReadResponse into `mirror` and handed to the sink. Between
// records the window processes its events through EventPump, so the replay runs as fast as
// the display follows and the window stays usable (ReplayPace::Display). The file is opened for
// reading only.
ReplayResult ReplayRecording(ControllerMirror& mirror, const QString& fileName,
                             const LangSource& lang, ReplaySink& sink,
                             ReplayPace pace = ReplayPace::Display);

// The same on a device open for reading (a file, or bytes in memory), from its start.
ReplayResult ReplayRecording(ControllerMirror& mirror, QIODevice& device, const LangSource& lang,
                             ReplaySink& sink, ReplayPace pace = ReplayPace::Display);

// Shows one record: the settings record, then record `position` (16 x position bytes into the
// file) as a live answer. Position 0 decodes the settings record a second time as live values.
ReplayResult ReplayRecordAt(ControllerMirror& mirror, const QString& fileName, int position,
                            const LangSource& lang, ReplaySink& sink);
ReplayResult ReplayRecordAt(ControllerMirror& mirror, QIODevice& device, int position,
                            const LangSource& lang, ReplaySink& sink);
