#pragma once

#include "ControlStates.h"
#include "ControllerMirror.h"
#include "PollTickResult.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QVector>

class SerialLink;
class LangSource;

// Plays the window's part around the poll cycle: a single-shot timer stopped during the tick,
// restarted with the interval the tick asks for, the loss-reset look kept in ControlStates.
// Every tick is recorded. `timeScale` > 1 shortens the timer waits (not the line's own waits)
// where the test is about the order of events rather than the intervals.
class PollDriver : public QObject {
    Q_OBJECT
public:
    struct Tick {
        qint64 atMs = 0;
        int interval = 0;
        int command = 0; // 0: nothing sent
        bool answered = false;
        bool lossReset = false;
        bool showImage1 = false;
    };

    PollDriver(SerialLink& link, const LangSource& lang, int timeScale = 1);

    void start();
    void stop();

    ControllerMirror mirror;
    ControlStates states;
    QVector<Tick> ticks;
    QVector<PollTickResult> results;

private:
    void onTimer();

    SerialLink& link;
    const LangSource& lang;
    int timeScale;
    QTimer timer;
    QElapsedTimer clock;
};
