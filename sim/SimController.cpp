#include "SimController.h"

#include "BootLoader.h"
#include "ControllerFirmware.h"
#include "FaultInjector.h"
#include "FineTimer.h"
#include "FrameCodec.h"
#include "RequestParser.h"
#include "SimLine.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {
// Callers get copies that share no data with the simulator's own arrays: implicit sharing would
// otherwise let the simulator's thread write into a buffer whose last reader is another thread.
QByteArray deepCopy(const QByteArray& bytes) {
    return QByteArray(bytes.constData(), bytes.size());
}
} // namespace

struct SimController::Impl {
    explicit Impl(const SimConfig& c)
        : config(c), firmware(c), loader(c, firmware.info()), inLoader(c.startInLoader) {}

    void run();
    bool serve(const ReceivedFrame& frame); // false: stop serving
    bool waitUntil(Clock::time_point t);    // false: asked to stop
    // Calls beforeLast just before the last byte goes out; with holdAfter > 0, stands still
    // for `hold` after that many bytes.
    bool writePaced(const QByteArray& bytes, const std::function<void()>& beforeLast,
                    int holdAfter = -1, Clock::duration hold = {});
    void markServed(bool answered);
    void log(const char* dir, const QByteArray& bytes);
    void hangUp();

    const SimConfig config;
    mutable std::mutex m;
    mutable std::condition_variable served;
    ControllerFirmware firmware;
    BootLoader loader;
    bool inLoader;
    FaultInjector faults;
    quint64 requests = 0;
    quint64 answers = 0;

    std::unique_ptr<SimLine> line; // made by the first start, kept for the later ones
    QString path;
    QString error;
    std::unique_ptr<FineTimer> fineTimer; // while the thread runs
    std::thread thread;
    std::atomic<bool> running{false};
    Clock::time_point startedAt;
    Clock::duration byteTime{};
};

namespace {
// One byte at 9600 bit/s is ten bit times: start, eight data, stop.
constexpr auto kByteTime = std::chrono::nanoseconds(10'000'000'000LL / 9600);
} // namespace

SimController::SimController(SimConfig config) : d(std::make_unique<Impl>(config)) {}

SimController::~SimController() {
    stop();
}

bool SimController::start() {
    stop();
    if (d->line == nullptr) {
        QString why;
        d->line = SimLine::create(d->config.line, &why);
        if (d->line == nullptr) {
            std::lock_guard lock(d->m);
            d->error = why;
            return false;
        }
    }
    if (!d->line->open()) {
        std::lock_guard lock(d->m);
        d->error = d->line->errorString();
        return false;
    }
    {
        std::lock_guard lock(d->m);
        d->path = d->line->clientPath();
        d->error.clear();
    }
    d->fineTimer = std::make_unique<FineTimer>();
    d->byteTime = d->config.pacing ? Clock::duration(kByteTime) : Clock::duration::zero();
    d->startedAt = Clock::now();
    d->running = true;
    d->thread = std::thread([this] { d->run(); });
    return true;
}

void SimController::stop() {
    if (d->thread.joinable()) {
        d->line->stop();
        d->thread.join();
    }
    if (d->line != nullptr)
        d->line->close();
    d->fineTimer.reset();
    d->running = false;
}

bool SimController::isRunning() const {
    return d->running;
}

QString SimController::slavePath() const {
    std::lock_guard lock(d->m);
    return d->path;
}

std::shared_ptr<MemoryWire> SimController::wire() const {
    return d->line != nullptr ? d->line->wire() : nullptr;
}

QString SimController::errorString() const {
    std::lock_guard lock(d->m);
    return d->error;
}

void SimController::Impl::run() {
    RequestParser parser;
    Clock::time_point lastArrival{};
    while (running) {
        const SimLine::Wake wake = line->wait(Clock::time_point::max(), true);
        if (wake == SimLine::Wake::Stop)
            break;
        if (wake != SimLine::Wake::Input)
            continue;
        const QByteArray bytes = line->readAvailable();
        const auto now = Clock::now();
        std::vector<ReceivedFrame> frames;
        for (char c : bytes) {
            // A byte counts as received when it would have finished arriving at 9600 bit/s.
            const auto arrival = byteTime.count() ? std::max(now, lastArrival) + byteTime : now;
            lastArrival = arrival;
            if (auto f = parser.feed(quint8(c), arrival))
                frames.push_back(std::move(*f));
        }
        for (const ReceivedFrame& f : frames) {
            if (!serve(f))
                return;
        }
    }
}

bool SimController::Impl::serve(const ReceivedFrame& frame) {
    if (!waitUntil(frame.completeAt))
        return false;
    log("Rx", frame.raw);

    QByteArray answer;
    int delayMs = config.replyLatencyMs;
    bool imageDone = false;
    QByteArray image;
    FaultInjector::Plan plan;
    {
        std::lock_guard lock(m);
        plan = faults.plan(frame.cmd);
        if (plan.hangUp) {
            ++requests;
            served.notify_all();
        } else if (!plan.silence) {
            if (inLoader) {
                const BootLoader::Reply r = loader.handle(frame);
                answer = r.answer;
                // A block request: 55 06 54 01 status key key block-hi block-lo sum.
                if (answer.size() == 10 && quint8(answer[2]) == 0x54 && answer[3] == 1)
                    faults.planBlock(quint8(answer[7]) << 8 | quint8(answer[8]), plan);
                delayMs += r.extraDelayMs;
                if (r.imageComplete) {
                    imageDone = true;
                    image = deepCopy(loader.image());
                }
                if (r.restartApplication) {
                    inLoader = false;
                    firmware.takeProgram(loader.image());
                    firmware.countReset();
                }
            } else {
                const ControllerFirmware::Reply r = firmware.handle(frame);
                answer = r.answer;
                if (r.enterLoader) {
                    inLoader = true;
                    loader.enter();
                }
            }
        }
    }
    if (plan.hangUp) {
        hangUp();
        return false;
    }
    if (imageDone && config.imageReceived)
        config.imageReceived(image);

    if (answer.isEmpty() || plan.silence) {
        markServed(false);
        return true;
    }
    const QByteArray out = FaultInjector::shape(plan, answer);
    // Counted before the last byte leaves, so whoever has read a whole answer sees it counted.
    const bool ok = waitUntil(Clock::now() + std::chrono::milliseconds(delayMs + plan.lateMs)) &&
                    writePaced(
                        out, [this] { markServed(true); }, plan.splitMs > 0 ? 4 : -1,
                        std::chrono::milliseconds(plan.splitMs));
    if (ok)
        log("Tx", out);
    return ok;
}

void SimController::Impl::markServed(bool answered) {
    std::lock_guard lock(m);
    ++requests;
    if (answered)
        ++answers;
    served.notify_all();
}

bool SimController::Impl::waitUntil(Clock::time_point t) {
    return line->wait(t, false) != SimLine::Wake::Stop;
}

bool SimController::Impl::writePaced(const QByteArray& bytes,
                                     const std::function<void()>& beforeLast, int holdAfter,
                                     Clock::duration hold) {
    const int last = int(bytes.size()) - 1;
    if (holdAfter > 0 && holdAfter <= last) {
        // The answer begun, then the simulator stands still, then the rest goes out.
        return writePaced(bytes.left(holdAfter), [] {}, -1, {}) && waitUntil(Clock::now() + hold) &&
               writePaced(bytes.mid(holdAfter), beforeLast, -1, {});
    }
    if (byteTime.count() == 0) {
        line->write(bytes.constData(), last);
        beforeLast();
        line->write(bytes.constData() + last, 1);
        return true;
    }
    // Byte i is handed over when it has fully left the wire, i + 1 byte times after the start.
    // After a late wake-up the following bytes catch up, but never closer than half a byte
    // time, so the average rate stays 9600 bit/s and bytes never arrive in one bunch.
    const auto start = Clock::now();
    auto previous = start;
    for (int i = 0; i <= last; ++i) {
        if (!waitUntil(std::max(start + (i + 1) * byteTime, previous + byteTime / 2)))
            return false;
        previous = Clock::now();
        if (i == last)
            beforeLast();
        line->write(bytes.constData() + i, 1);
    }
    return true;
}

void SimController::Impl::log(const char* dir, const QByteArray& bytes) {
    if (!config.log)
        return;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - startedAt).count();
    config.log(QString::asprintf("%10.3f ms  %s  ", ms, dir) + FrameCodec::hex(bytes));
}

void SimController::Impl::hangUp() {
    line->close();
    running = false;
    if (config.log)
        config.log(QStringLiteral("line closed (hang-up)"));
}

quint64 SimController::requestCount() const {
    std::lock_guard lock(d->m);
    return d->requests;
}

quint64 SimController::answerCount() const {
    std::lock_guard lock(d->m);
    return d->answers;
}

bool SimController::waitForRequests(quint64 total, int timeoutMs) const {
    std::unique_lock lock(d->m);
    return d->served.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return d->requests >= total; });
}

void SimController::setFault(const SimFault& fault) {
    std::lock_guard lock(d->m);
    d->faults.add(fault);
}

void SimController::clearFaults() {
    std::lock_guard lock(d->m);
    d->faults.clear();
}

void SimController::setEngineRunning(bool on) {
    std::lock_guard lock(d->m);
    d->firmware.setEngineRunning(on);
}

void SimController::setPcConfig(bool fromPc) {
    std::lock_guard lock(d->m);
    const quint8 bits = d->firmware.switchBits();
    d->firmware.setSwitchBits(fromPc ? (bits & ~1) : (bits | 1));
}

void SimController::setSwitchBits(quint8 bits) {
    std::lock_guard lock(d->m);
    d->firmware.setSwitchBits(bits);
}

quint8 SimController::switchBits() const {
    std::lock_guard lock(d->m);
    return d->firmware.switchBits();
}

QByteArray SimController::settings() const {
    std::lock_guard lock(d->m);
    return deepCopy(d->firmware.settings());
}

bool SimController::setSetting(int k, quint8 value) {
    std::lock_guard lock(d->m);
    return d->firmware.writeSetting(k, value);
}

void SimController::restoreDefaults() {
    std::lock_guard lock(d->m);
    d->firmware.restoreDefaults();
}

QByteArray SimController::mapCells() const {
    std::lock_guard lock(d->m);
    return deepCopy(d->firmware.map());
}

void SimController::setMapCells(const QByteArray& cells) {
    std::lock_guard lock(d->m);
    d->firmware.setMap(deepCopy(cells));
}

bool SimController::inLoader() const {
    std::lock_guard lock(d->m);
    return d->inLoader;
}

void SimController::enterLoader() {
    std::lock_guard lock(d->m);
    d->inLoader = true;
    d->loader.enter();
}

void SimController::setFailUpdate(bool fail) {
    std::lock_guard lock(d->m);
    d->loader.setFailUpdate(fail);
}

QByteArray SimController::receivedImage() const {
    std::lock_guard lock(d->m);
    return deepCopy(d->loader.image());
}

int SimController::completedTransfers() const {
    std::lock_guard lock(d->m);
    return d->loader.completedTransfers();
}
