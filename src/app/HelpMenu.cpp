// Help menu: the documentation, the built-in manual and the About window.
#include "TForm1.h"

#include "TFormAboud.h"
#include "TFormHelp.h"
#include "WindowPlacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QUrl>

QString TForm1::DocumentationFileName(int language) {
    switch (language) {
    case 0:
        return QStringLiteral("KOLVA-VX-01_02 instrukcja podłączenia i programowania.pdf");
    case 2:
        return QStringLiteral("KOLVA-VX-01_02 installation & programming manual.pdf");
    default:
        return QString(); // no manual in German or Russian
    }
}

QStringList TForm1::DocumentationCandidates(const QString& dir, int language) {
    const QString name = DocumentationFileName(language);
    if (name.isEmpty()) {
        return {};
    }
    return {dir + QStringLiteral("/Doc/") + name, dir + QLatin1Char('/') + name};
}

QString TForm1::DocumentationTarget(const QString& dir, int language) {
    for (const QString& candidate : DocumentationCandidates(dir, language)) {
        if (QFileInfo(candidate).isFile()) {
            return candidate;
        }
    }
    // No manual: the folder where it would be.
    const QString docDir = dir + QStringLiteral("/Doc");
    return QFileInfo(docDir).isDir() ? docDir : dir;
}

bool TForm1::OpenUrl(const QUrl& url) {
    return UrlOpener && UrlOpener(url);
}

void TForm1::MenuPomocDokClick() {
    // The PDF manual when it is installed and something opens it; otherwise the user learns
    // where it was looked for and gets the short manual built into the program.
    const QString dir = DocumentationFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                      : DocumentationFolder;
    const QString target = DocumentationTarget(dir, Language());
    if (QFileInfo(target).isFile()) {
        if (OpenUrl(QUrl::fromLocalFile(target))) {
            return;
        }
        NoticeBox(LangText(186).arg(QDir::toNativeSeparators(target)));
    } else {
        QStringList looked = DocumentationCandidates(dir, Language());
        if (!looked.isEmpty()) {
            for (QString& path : looked) {
                path = QDir::toNativeSeparators(path);
            }
            NoticeBox(LangText(187) + QStringLiteral("\n\n") + looked.join(QLatin1Char('\n')) +
                      QStringLiteral("\n\n") + LangText(188));
        }
    }
    FormHelp->ShowManual(Language(), LangText(190));
    WindowPlacement::keepOnScreen(FormHelp, this);
}

void TForm1::MenuPomocOProgClick() {
    // Qt texts are Unicode: the Cyrillic character set is only recorded (for the Windows build).
    FormAboud->Label4->setProperty("Charset", Language() == 4 ? 204 : 1);
    FormAboud->setWindowTitle(QStringLiteral("Orvex"));
    FormAboud->Image1->setPixmap(QPixmap(QStringLiteral(":/bitmaps/1000")));
    FormAboud->Label4->setText(LangText(158) + QStringLiteral(" :") + QStringLiteral(" V1.03"));
    const QRect frame = geometry();
    FormAboud->move(frame.center() - QPoint(FormAboud->width() / 2, FormAboud->height() / 2));
    FormAboud->exec();
}
