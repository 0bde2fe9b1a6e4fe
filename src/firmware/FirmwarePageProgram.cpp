// The update tab: starting a programming run and showing its progress and result.
#include "FirmwarePage.h"

#include "ControllerMirror.h"
#include "FirmwareHost.h"
#include "FirmwareLabel.h"
#include "TFormUpg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

namespace {
constexpr int IdleRetryMs = 20;
} // namespace

void FirmwarePage::Button1Click() {
    if (w_.Button1->property("Tag").toInt() != 2) {
        return; // the parameters tab serves it
    }
    TreeView1DblClick();
}

void FirmwarePage::TreeView1DblClick() {
    if (FirmwareProgrammer::EngineRunning(host_.mirror())) {
        ShowBox(QMessageBox::Warning, host_.langText(740), QStringLiteral("Orvex"));
        return;
    }
    startWhenIdle();
}

// A poll tick (or another exchange) may be waiting for its answer further down this very call
// stack, processing events: starting now would take its answer. The run starts once it is over.
void FirmwarePage::startWhenIdle() {
    if (running_) {
        host_.beep(); // one run at a time
        return;
    }
    if (host_.exchangeRunning()) {
        if (!startQueued_) {
            startQueued_ = true;
            QTimer::singleShot(IdleRetryMs, this, [this] {
                startQueued_ = false;
                startWhenIdle();
            });
        }
        return;
    }
    ProgramFirmware();
}

void FirmwarePage::ProgramFirmware() {
    if (running_) {
        host_.beep();
        return;
    }
    w_.RichEdit1->clear();
    QTreeWidgetItem* item = w_.TreeView1->currentItem();
    if (item == nullptr || item->childCount() > 0) {
        host_.beep();
        return;
    }
    const QString text = item->text(0);
    const int imageId = ImageIdFromLabel(text);
    if (imageId == 0) {
        host_.beep();
        return;
    }
    // Nothing is sent for an image that is not there or not whole.
    const FirmwareFiles::Loaded image = FirmwareFiles::Load(imageId);
    if (image.status != FirmwareFiles::Loaded::Ok) {
        ShowBox(QMessageBox::Critical, imageProblem(image), host_.langText(900));
        return;
    }
    programmer_.LoadImage(image.bytes);

    running_ = true;
    w_.Button1->setEnabled(false);
    if (!AskYesNo(text + QStringLiteral("\n\r") + host_.langText(901), host_.langText(900))) {
        running_ = false;
        TreeView1Change();
        return;
    }
    // What the controller holds now is saved first; without a backup the user decides.
    QString problem;
    if (!host_.saveBackup(&problem) &&
        !AskYesNo(problem + QStringLiteral("\n\n") + host_.langText(843), host_.langText(900))) {
        running_ = false;
        TreeView1Change();
        return;
    }

    host_.stopPolling();
    attempt_.clear();
    ProgramResult result = ProgramResult::NoListen;
    if (SerialLink* link = host_.link()) {
        const std::uint32_t catalogueFor = w_.TreeView1->property("Tag").toUInt();
        ControllerMirror& m = host_.mirror();
        result = programmer_.Program(
            m, *link,
            [&m, catalogueFor](const LoaderIdentity&) { return catalogueFor == m.DeviceId; },
            *this);
    }

    // The progress window stays on top: it goes before the result is shown.
    formUpg_->CloseWindow();
    static constexpr int reasons[] = {0, 909, 908, 741, 908, 910, 909};
    const int box = static_cast<int>(result);
    if (result == ProgramResult::Success) {
        ShowBox(QMessageBox::Information, host_.langText(911), host_.langText(900));
    } else {
        ShowBox(QMessageBox::Critical,
                host_.langText(722) + QStringLiteral(" %1\n").arg(box) +
                    host_.langText(reasons[box]),
                host_.langText(900));
    }
    running_ = false;
    host_.finishProgramming();
}

void FirmwarePage::loaderIdentified(const LoaderIdentity&, int blockCount) {
    formUpg_->setWindowTitle(host_.langText(900));
    formUpg_->ProgressBar2->setRange(0, std::max(1, blockCount));
    formUpg_->ProgressBar2->setValue(0);
    formUpg_->Label1->clear();
    formUpg_->ShowCentred(host_.mainWindow());
}

void FirmwarePage::blockRequested(int blockIndex, int, int remainingSeconds) {
    formUpg_->ProgressBar2->setValue(std::min(blockIndex, formUpg_->ProgressBar2->maximum()));
    formUpg_->Label1->setText(attempt_ + host_.langText(903) + QString::number(remainingSeconds) +
                              QStringLiteral(" s"));
}

// The transfer starts again from the listen request: the window says which attempt runs (the
// bar goes back to the start once the loader has answered again).
void FirmwarePage::transferResumed(int attempt, int attempts, bool silent) {
    const QString what = host_.langText(905).arg(attempt).arg(attempts);
    attempt_ = what + QStringLiteral("   ");
    formUpg_->Label1->setText(what);
    w_.RichEdit1->append(
        QStringLiteral("%1 (%2)").arg(what, host_.langText(silent ? 906 : 907).trimmed()));
}

void FirmwarePage::replyLogged(const QString& line) {
    w_.RichEdit1->append(line);
}
