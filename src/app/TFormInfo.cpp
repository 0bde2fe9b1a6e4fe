#include "TFormInfo.h"

#include <QTextCursor>
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
    lineCount_ = 0;
}

void TFormInfo::AppendLine(const QString& line) {
    // Inserted as plain text: the vehicle name comes from the controller, and a "<b>" or "&lt;"
    // in it must show as typed (QTextEdit::append would take such a line for HTML). Counting
    // lines keeps an empty first line (an absent title text), which append would drop.
    QTextCursor cursor(Edit2->document());
    cursor.movePosition(QTextCursor::End);
    if (lineCount_ > 0) {
        cursor.insertBlock();
    }
    cursor.insertText(line);
    ++lineCount_;
}

QStringList TFormInfo::Lines() const {
    return Edit2->toPlainText().split(QLatin1Char('\n'));
}
