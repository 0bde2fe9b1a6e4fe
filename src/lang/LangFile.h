#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QStringList>

// One language's text file: lines "id<TAB>text" in UTF-8, escapes \n \r \t \\ inside texts,
// lines starting with '#' and empty lines skipped. Every line names its own id, so a broken
// line loses only its own text and never moves the texts after it; each problem is reported
// with its line number.
class LangFile {
public:
    static constexpr int MinId = 100;
    static constexpr int MaxId = 1019;
    static constexpr int MaxTextLength = 255;
    // A language file holds fewer than 900 texts of at most 255 characters: 1 MiB is far more
    // than any real one. A longer file is not read at all.
    static constexpr qint64 MaxFileBytes = 1 << 20;
    // Problems reported one by one; after these, one line says how many more there were.
    static constexpr int MaxReportedErrors = 100;

    // name only labels the error messages ("pl.txt:12: ...").
    static LangFile parse(const QByteArray& content, const QString& name);
    static LangFile load(const QString& path);

    const QMap<int, QString>& texts() const { return m_texts; }
    const QStringList& errors() const { return m_errors; }

private:
    void parseLine(QByteArrayView line, int lineNumber);
    // Reports "name:line: message"; appendMessage(QString&) appends the message, and is only
    // called while problems are still reported one by one.
    template <typename AppendMessage> void addError(int lineNumber, AppendMessage appendMessage);

    QString m_name;
    QMap<int, QString> m_texts;
    QStringList m_errors;
    int m_unreported = 0;
};
