#include "TFormHelp.h"

#include "WindowPlacement.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

TFormHelp::TFormHelp(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("FormHelp");
    setAttribute(Qt::WA_QuitOnClose, false); // closing the main window ends the program
    resize(640, 560);

    HelpText = new QTextBrowser(this);
    HelpText->setObjectName("HelpText");
    // Links inside the manual move within it; nothing is fetched from elsewhere.
    HelpText->setOpenExternalLinks(false);
    HelpText->setOpenLinks(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(HelpText);
    WindowPlacement::closeWithEscape(this);
}

QString TFormHelp::ManualResource(int language) {
    return language == 0 ? QStringLiteral(":/manual/manual_pl.html")
                         : QStringLiteral(":/manual/manual_en.html");
}

void TFormHelp::ShowManual(int language, const QString& caption) {
    QFile file(ManualResource(language));
    if (file.open(QIODevice::ReadOnly)) {
        HelpText->setHtml(QString::fromUtf8(file.readAll()));
    }
    setWindowTitle(caption);
    show();
    raise();
    activateWindow();
}
