#include "TFormInfo.h"

#include "WindowPlacement.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A report line: a name, one or two tabs, the value, and maybe a tab and a note. The tabs were
// counted for one font's fixed stops; in another font a name of the same length can be wider
// and its value lands a stop further. The stops are set per line instead: the first field
// after the name goes to one value column, a further field to one note column.
struct Fields {
    QString name;
    int leadingTabs = 0; // tabs between the name and the value
    QStringList rest;    // the value, then what follows it (split at tabs)
};

Fields splitFields(const QString& line) {
    Fields f;
    const int tab = line.indexOf(QLatin1Char('\t'));
    if (tab < 0) {
        f.name = line;
        return f;
    }
    f.name = line.left(tab);
    int i = tab;
    while (i < line.size() && line[i] == QLatin1Char('\t')) {
        ++f.leadingTabs;
        ++i;
    }
    f.rest = line.mid(i).split(QLatin1Char('\t'));
    return f;
}

} // namespace

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
    WindowPlacement::closeWithEscape(this);
}

void TFormInfo::Clear() {
    Edit2->clear();
    lineCount_ = 0;
}

void TFormInfo::AppendLine(const QString& line) {
    InsertLine(line);
    AlignColumns();
}

void TFormInfo::AppendLines(const QStringList& lines) {
    for (const QString& line : lines) {
        InsertLine(line);
    }
    AlignColumns();
}

void TFormInfo::InsertLine(const QString& line) {
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

void TFormInfo::AlignColumns() {
    const QFontMetricsF fm(Edit2->document()->defaultFont());
    const qreal gap = fm.horizontalAdvance(QStringLiteral("    "));
    // Column k starts after the widest field k - 1 of the lines that have a field k; the value
    // column (k = 0) after the widest name.
    QList<qreal> widths; // widths[0]: names, widths[k]: field k - 1
    QList<bool> used;    // whether any line has field k
    for (QTextBlock b = Edit2->document()->begin(); b.isValid(); b = b.next()) {
        const Fields f = splitFields(b.text());
        if (f.leadingTabs == 0) {
            continue;
        }
        const int fields = static_cast<int>(f.rest.size());
        if (widths.size() < fields + 1) {
            widths.resize(fields + 1, 0);
            used.resize(fields + 1, false);
        }
        for (int k = 0; k < fields; ++k) {
            const QString& before = k == 0 ? f.name : f.rest[k - 1];
            widths[k] = std::max(widths[k], fm.horizontalAdvance(before));
            used[k] = true;
        }
    }
    QList<qreal> columns;
    qreal x = 0;
    for (int k = 0; k < widths.size() && used[k]; ++k) {
        x += widths[k] + gap;
        columns << x;
    }
    QTextCursor cursor(Edit2->document());
    for (QTextBlock b = Edit2->document()->begin(); b.isValid(); b = b.next()) {
        const Fields f = splitFields(b.text());
        QList<QTextOption::Tab> stops;
        // Every tab before the value but the last one stops right after the name.
        const qreal nameEnd = fm.horizontalAdvance(f.name);
        for (int i = 1; i < f.leadingTabs; ++i) {
            stops << QTextOption::Tab(nameEnd + i, QTextOption::LeftTab);
        }
        for (const qreal column : columns) {
            stops << QTextOption::Tab(column, QTextOption::LeftTab);
        }
        QTextBlockFormat format = b.blockFormat();
        if (format.tabPositions() != stops) {
            format.setTabPositions(stops);
            cursor.setPosition(b.position());
            cursor.setBlockFormat(format);
        }
    }
}

QStringList TFormInfo::Lines() const {
    return Edit2->toPlainText().split(QLatin1Char('\n'));
}
