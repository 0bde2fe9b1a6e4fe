// Help menu: the documentation and the About window.
#include "TForm1.h"

#include "TFormAboud.h"

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

QString TForm1::DocumentationTarget(const QString& dir, int language) {
    const QString name = DocumentationFileName(language);
    if (!name.isEmpty()) {
        const QString inDoc = dir + QStringLiteral("/Doc/") + name;
        if (QFileInfo(inDoc).isFile()) {
            return inDoc;
        }
        const QString beside = dir + QLatin1Char('/') + name;
        if (QFileInfo(beside).isFile()) {
            return beside;
        }
    }
    // No manual: show the folder where it would be.
    const QString docDir = dir + QStringLiteral("/Doc");
    return QFileInfo(docDir).isDir() ? docDir : dir;
}

void TForm1::MenuPomocDokClick() {
    const QString target = DocumentationTarget(QCoreApplication::applicationDirPath(), Language());
    if (UrlOpener) {
        UrlOpener(QUrl::fromLocalFile(target));
    }
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
