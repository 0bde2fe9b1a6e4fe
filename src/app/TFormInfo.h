#pragma once

#include <QWidget>

class QTextEdit;

// The controller information window: one read-only text box holding the identity and settings
// report. It lives for the whole run and is only shown and hidden; it keeps its text between
// showings.
class TFormInfo : public QWidget {
    Q_OBJECT

public:
    explicit TFormInfo(QWidget* parent = nullptr);

    QTextEdit* Edit2 = nullptr;

    void Clear();
    void AppendLine(const QString& line);
    // Appends a whole section and aligns the columns once (a report has dozens of lines).
    void AppendLines(const QStringList& lines);
    QStringList Lines() const;

private:
    // Sets each line's tab stops so that values and notes start in one column.
    void AlignColumns();
    void InsertLine(const QString& line);

    int lineCount_ = 0;
};
