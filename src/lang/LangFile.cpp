#include "LangFile.h"

#include <QFile>
#include <QStringBuilder>
#include <QStringDecoder>

#include <charconv>

namespace {

// A number's decimal digits for a message built with %, without a string of their own.
class Digits {
public:
    explicit Digits(int value)
        : size_(std::to_chars(text_, text_ + sizeof text_, value).ptr - text_) {}
    QLatin1String view() const { return QLatin1String(text_, size_); }

private:
    char text_[12];
    qsizetype size_;
};

// Undoes the file escapes. Returns false (with the reason) on a lone or unknown backslash and on a
// literal tab, which would otherwise hide a second column that a translator added by mistake.
bool unescape(QStringView raw, QString& out, QString& why) {
    out.clear();
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == u'\t') {
            why = QStringLiteral("tab inside the text (write \\t)");
            return false;
        }
        if (c != u'\\') {
            out.append(c);
            continue;
        }
        if (i + 1 >= raw.size()) {
            why = QStringLiteral("backslash at the end of the text (write \\\\)");
            return false;
        }
        const QChar e = raw.at(++i);
        if (e == u'n') {
            out.append(u'\n');
        } else if (e == u'r') {
            out.append(u'\r');
        } else if (e == u't') {
            out.append(u'\t');
        } else if (e == u'\\') {
            out.append(u'\\');
        } else {
            why = QStringLiteral("unknown escape \\%1").arg(e);
            return false;
        }
    }
    return true;
}

} // namespace

LangFile LangFile::parse(const QByteArray& content, const QString& name) {
    LangFile file;
    file.m_name = name;
    QByteArrayView data(content);
    if (data.startsWith("\xEF\xBB\xBF")) // some editors put a byte-order mark in front
        data = data.sliced(3);
    int lineNumber = 1;
    for (qsizetype pos = 0;; ++lineNumber) {
        const qsizetype newline = data.indexOf('\n', pos);
        const qsizetype end = newline < 0 ? data.size() : newline;
        file.parseLine(data.sliced(pos, end - pos), lineNumber);
        if (newline < 0)
            break;
        pos = newline + 1;
    }
    if (file.m_unreported > 0)
        file.m_errors.append(
            QStringLiteral("%1: %2 more problems").arg(name).arg(file.m_unreported));
    return file;
}

LangFile LangFile::load(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        LangFile file;
        file.m_name = path;
        file.m_errors.append(QStringLiteral("%1: cannot open: %2").arg(path, f.errorString()));
        return file;
    }
    // At most one byte over the limit is read, whatever the file claims to be.
    const QByteArray content = f.read(MaxFileBytes + 1);
    if (content.size() > MaxFileBytes) {
        LangFile file;
        file.m_name = path;
        file.m_errors.append(QStringLiteral("%1: longer than %2 bytes, not read")
                                 .arg(path, QString::number(MaxFileBytes)));
        return file;
    }
    return parse(content, path.section(u'/', -1));
}

template <typename AppendMessage>
void LangFile::addError(int lineNumber, AppendMessage appendMessage) {
    if (m_errors.size() >= MaxReportedErrors) {
        ++m_unreported; // only counted: its message is never made
        return;
    }
    // "name:line: message" in one allocation (room for the longest fixed message): a broken
    // file can bring a hundred of them.
    if (m_errors.isEmpty()) {
        m_errors.reserve(MaxReportedErrors + 1); // a broken file soon brings them all
    }
    QString error;
    error.reserve(m_name.size() + 80);
    error += m_name % QLatin1Char(':') % Digits(lineNumber).view() % QLatin1String(": ");
    appendMessage(error);
    m_errors.append(std::move(error));
}

void LangFile::parseLine(QByteArrayView line, int lineNumber) {
    if (line.endsWith('\r')) // a file saved with Windows line ends
        line.chop(1);
    if (line.isEmpty() || line.startsWith('#'))
        return;

    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(line);
    if (decoder.hasError()) {
        addError(lineNumber, [](QString& e) { e += QLatin1String("not valid UTF-8"); });
        return;
    }

    const qsizetype tab = text.indexOf(u'\t');
    if (tab < 0) {
        addError(lineNumber,
                 [](QString& e) { e += QLatin1String("no tab between the id and the text"); });
        return;
    }
    const QStringView idText = QStringView(text).left(tab);
    bool digitsOnly = !idText.isEmpty() && idText.size() <= 4;
    for (QChar c : idText)
        digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    const int id = digitsOnly ? idText.toInt() : -1;
    if (!digitsOnly || id < MinId || id > MaxId) {
        addError(lineNumber, [idText](QString& e) {
            e += QLatin1Char('"') % idText % QLatin1String("\" is not a text id (") %
                 Digits(MinId).view() % QLatin1String("..") % Digits(MaxId).view() %
                 QLatin1Char(')');
        });
        return;
    }
    if (m_texts.contains(id)) {
        addError(lineNumber, [id](QString& e) {
            e += QLatin1String("id ") % Digits(id).view() %
                 QLatin1String(" given twice; the first text is kept");
        });
        return;
    }

    const QStringView raw = QStringView(text).mid(tab + 1);
    QString value;
    QString why;
    if (!raw.contains(u'\\') && !raw.contains(u'\t')) {
        // Nothing to undo: the text is the rest of the decoded line, taken in place.
        text.remove(0, tab + 1);
        value = std::move(text);
    } else if (!unescape(raw, value, why)) {
        addError(lineNumber, [id, &why](QString& e) {
            e += QLatin1String("id ") % Digits(id).view() % QLatin1String(": ") % why;
        });
        return;
    }
    if (value.size() > MaxTextLength) {
        // The controls were laid out for texts of this size: keep the start, say so.
        addError(lineNumber, [id](QString& e) {
            e += QLatin1String("id ") % Digits(id).view() % QLatin1String(": text longer than ") %
                 Digits(MaxTextLength).view() % QLatin1String(" characters, cut");
        });
        value.truncate(MaxTextLength);
    }
    m_texts.insert(id, std::move(value));
}
