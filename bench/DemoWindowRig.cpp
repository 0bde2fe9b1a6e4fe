#include "DemoWindowRig.h"

#include "Pump.h"

#include "DemoSession.h"
#include "EventPump.h"
#include "LiveView.h"
#include "SettingsView.h"
#include "TForm1.h"
#include "TMySerial.h"
#include "TPanel.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>

DemoWindowRig* DemoWindowRig::current_ = nullptr;

namespace {
QTemporaryDir& settingsHome() {
    static QTemporaryDir dir;
    return dir;
}
} // namespace

void DemoWindowRig::prepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QString home = settingsHome().path();
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/data")).toLocal8Bit());
    const QString runtime = home + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
}

DemoWindowRig::DemoWindowRig() {
    current_ = this;
    EventPump::setObserver(&DemoWindowRig::waitEnded);
}

DemoWindowRig::~DemoWindowRig() {
    close();
    demo_.reset();
    EventPump::setObserver(nullptr);
    current_ = nullptr;
}

// Notes the port opener's pause: the wait that ends while the facade is opening, before the
// first live frame.
void DemoWindowRig::waitEnded(int boundMs, int waitedMs) {
    (void)boundMs;
    DemoWindowRig* rig = current_;
    const bool openPause = rig != nullptr && rig->window_ != nullptr &&
                           rig->window_->Serial() != nullptr && rig->window_->Serial()->Opening() &&
                           rig->firstLiveMs < 0.0;
    if (openPause) {
        rig->openPauseEndMs = rig->clock_.elapsedMs();
        if (rig->openPauseStartMs < 0.0) {
            rig->openPauseStartMs = rig->openPauseEndMs - waitedMs;
        }
    }
}

bool DemoWindowRig::start() {
    demo_ = std::make_unique<DemoSession>();
    const BenchClock simClock;
    if (!demo_->start()) {
        error_ = QStringLiteral("simulator: ") + demo_->errorString();
        return false;
    }
    simStartMs = simClock.elapsedMs();

    clock_.restart();
    window_ = std::make_unique<TForm1>();
    constructedMs = clock_.elapsedMs();
    window_->UseSessionDevice(demo_->devicePath());
    window_->ErrorBox = [this](const QString& text) { error_ = text; };

    // Wrap the window's own view handlers: the frame is shown first, then counted.
    auto live = window_->LiveViewHandler;
    window_->LiveViewHandler = [this, live](const LiveView& v) {
        if (live) {
            live(v);
        }
        ++liveFrames_;
        liveRate.frame();
        if (firstLiveMs < 0.0) {
            firstLiveMs = clock_.elapsedMs();
            firstLiveRpm = window_->LabelRpm->text();
        }
    };
    auto settings = window_->SettingsViewHandler;
    window_->SettingsViewHandler = [this, settings](const SettingsView& v) {
        if (settings) {
            settings(v);
        }
        if (firstSettingsMs < 0.0) {
            firstSettingsMs = clock_.elapsedMs();
        }
    };
    window_->showMaximized();
    shownMs = clock_.elapsedMs();
    return true;
}

bool DemoWindowRig::waitForFirstLive(int timeoutMs) {
    return waitUntil([this] { return firstLiveMs >= 0.0; }, timeoutMs);
}

bool DemoWindowRig::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    // The bound is on the rig's clock (since the window was built).
    return pumpUntil(done, timeoutMs - static_cast<int>(clock_.elapsedMs()));
}

void DemoWindowRig::close() {
    if (window_ != nullptr) {
        window_->close();
        window_.reset();
    }
}
