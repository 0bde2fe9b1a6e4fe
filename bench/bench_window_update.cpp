// The main window's firmware update against a controller on a named port, as a user starts it
// from the update tab: the window opens the port, reads the controller, and V1.3.2.0 is written
// with every question answered Yes. The image is the file given (copied in as that version's
// image), so that what the boot loader received can be compared with it from outside;
// scripts/flash-stops runs it against the paced simulator while stopping the simulator.
//   bench_window_update --device PATH --image FILE
// Prints the result box and the attempt the update ended in; exits 0 when it succeeded.
#include "BenchClock.h"
#include "DeviceArguments.h"
#include "FirmwareCatalogue.h"
#include "FirmwareFiles.h"
#include "FirmwarePage.h"
#include "FirmwareTab.h"
#include "GeneratedImages.h"
#include "Pump.h"
#include "TForm1.h"
#include "TFormUpg.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>

namespace {

constexpr int ImageId = 1320;

QTreeWidgetItem* versionItem(QTreeWidget* tree) {
    for (int g = 0; g < tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = tree->topLevelItem(g);
        for (int c = 0; c < group->childCount(); ++c) {
            if (group->child(c)->text(0).startsWith(QStringLiteral("V1.3.2.0 "))) {
                return group->child(c);
            }
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString device = DeviceArguments::text(args, QStringLiteral("--device"));
    const QString imagePath = DeviceArguments::text(args, QStringLiteral("--image"));
    QFile imageFile(imagePath);
    if (device.isEmpty() || !imageFile.open(QIODevice::ReadOnly)) {
        std::fputs("usage: bench_window_update --device PATH --image FILE\n", stderr);
        return 2;
    }
    QTemporaryDir images;
    QFile version(images.filePath(QStringLiteral("%1.bin").arg(ImageId)));
    if (!GeneratedImages::Install(images.path(), FirmwareCatalogue::AllImageIds()) ||
        !version.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        version.write(imageFile.readAll()) != 8832) {
        std::fputs("bench_window_update: cannot install the images\n", stderr);
        return 1;
    }
    version.close();
    FirmwareFiles::SetSessionFolder(images.path());

    TForm1 w;
    FirmwarePage& page = w.Firmware->page();
    page.AskYesNo = [](const QString&, const QString&) { return true; };
    QString result;
    page.ShowBox = [&result](QMessageBox::Icon, const QString& text, const QString&) {
        result = text.simplified();
    };
    w.ErrorBox = [](const QString&) {};
    w.UseSessionDevice(device);
    w.show();
    const BenchClock clock;
    if (!pumpUntil([&] { return w.Mirror.SettingIndex == -1 && w.Mirror.IdentityState == -1; },
                   15000)) {
        std::fputs("bench_window_update: the controller was not read within 15 s\n", stderr);
        return 1;
    }
    w.ZakladkaParamClick(w.ZakladkaProg);
    QTreeWidgetItem* item = nullptr;
    pumpUntil([&] { return (item = versionItem(w.TreeView1)) != nullptr; }, 5000);
    if (item == nullptr) {
        std::fputs("bench_window_update: V1.3.2.0 is not in the catalogue\n", stderr);
        return 1;
    }
    w.TreeView1->setCurrentItem(item);
    const double start = clock.elapsedMs();
    page.Button1Click();
    pumpUntil([&] { return !result.isEmpty() && !page.Running(); }, 180000);
    std::printf("%s (attempt %d of %d) after %.1f s\n", qPrintable(result),
                page.Programmer().Attempt, FirmwareProgrammer::Attempts,
                (clock.elapsedMs() - start) / 1000.0);
    return result == w.LangText(911).simplified() ? 0 : 1;
}
