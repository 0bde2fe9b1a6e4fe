#include "TFormInfo.h"

#include <QTextEdit>
#include <QVBoxLayout>

TFormInfo::TFormInfo(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName("FormInfo");
    setAttribute(Qt::WA_QuitOnClose, false); // closing the main window ends the program
    setWindowTitle(QString());               // the caption is set when the user asks for the window
    resize(391, 640);
    move(745, 301);

    Edit2 = new QTextEdit(this);
    Edit2->setObjectName("Edit2");
    Edit2->setReadOnly(true);
    Edit2->setAcceptRichText(false);
    Edit2->setLineWrapMode(QTextEdit::NoWrap);
    Edit2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Edit2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Edit2->setTabStopDistance(Edit2->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
    Edit2->setProperty("Tag", 0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Edit2);
}

void TFormInfo::Clear() {
    Edit2->clear();
}

void TFormInfo::AppendLine(const QString& line) {
    Edit2->append(line);
}

QStringList TFormInfo::Lines() const {
    return Edit2->toPlainText().split(QLatin1Char('\n'));
}
