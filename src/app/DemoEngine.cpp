// The demo's engine: an installer stops the engine before a software update, and the window
// refuses an update while it runs; in the demo it is started and stopped by hand.
#include "TForm1.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace {
constexpr int DemoEngineText = 985; // set again with the language
constexpr int DemoEngineRuns = 986;
constexpr int DemoEngineStopped = 987;
} // namespace

void TForm1::AddDemoEngineSwitch(std::function<void(bool running)> run) {
    DemoEngine = new QAction(this);
    DemoEngine->setObjectName(QStringLiteral("DemoEngine"));
    DemoEngine->setCheckable(true);
    DemoEngine->setChecked(true);
    DemoEngine->setShortcut(QKeySequence(Qt::Key_F8));
    DemoEngine->setText(LangText(DemoEngineText));
    MenuWidok->addSeparator();
    MenuWidok->addAction(DemoEngine);
    addAction(DemoEngine); // F8 on every tab
    connect(DemoEngine, &QAction::toggled, this, [this, run](bool on) {
        run(on);
        SetStatusText(LangText(on ? DemoEngineRuns : DemoEngineStopped));
    });
}
