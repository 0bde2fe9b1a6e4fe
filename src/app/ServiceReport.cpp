#include "ServiceReport.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

#include <algorithm>

namespace {

// Lays out blocks from the top of a page down, starting a new page when one would not fit.
class Pages {
public:
    Pages(QPdfWriter& writer, QPainter& painter) : writer_(writer), p_(painter) {
        width_ = p_.viewport().width();
        height_ = p_.viewport().height();
    }

    int width() const { return width_; }
    int y() const { return y_; }
    int pageCount() const { return pages_; }
    bool failed() const { return failed_; }

    // Room for `h` more below the current position; a new page otherwise.
    void need(int h) {
        if (y_ > 0 && y_ + h > height_) {
            if (!writer_.newPage()) {
                failed_ = true;
            }
            ++pages_;
            y_ = 0;
        }
    }
    void skip(int h) { y_ += h; }

    void text(const QString& line, const QFont& font, int indent = 0) {
        p_.setFont(font);
        const QFontMetrics fm(font, p_.device());
        need(fm.lineSpacing());
        p_.setPen(Qt::black);
        p_.drawText(QRect(indent, y_, width_ - indent, fm.lineSpacing()),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs, line);
        y_ += fm.lineSpacing();
    }

    // A form row: the name at the left, the value from `valueX` on; either wraps within its
    // column (at spaces where it can, anywhere in a long run of text).
    void field(const QString& name, const QString& value, int valueX, const QFont& nameFont,
               const QFont& valueFont) {
        const int gap = valueX / 20;
        const int nameH = wrappedHeight(name, nameFont, valueX - gap);
        const int valueH = wrappedHeight(value, valueFont, width_ - valueX);
        need(std::max(nameH, valueH));
        drawWrapped(name, nameFont, 0, valueX - gap);
        drawWrapped(value, valueFont, valueX, width_ - valueX);
        y_ += std::max(nameH, valueH);
    }
    // A line across the whole width, wrapped.
    void paragraph(const QString& text, const QFont& font) {
        const int h = wrappedHeight(text, font, width_);
        need(h);
        drawWrapped(text, font, 0, width_);
        y_ += h;
    }

    void table(const QList<QList<ServiceReport::MapCell>>& rows, const QFont& font) {
        int columns = 0;
        for (const auto& row : rows) {
            columns = std::max(columns, static_cast<int>(row.size()));
        }
        if (columns == 0) {
            return;
        }
        p_.setFont(font);
        const QFontMetrics fm(font, p_.device());
        const int cellW = width_ / columns;
        const int cellH = fm.height() * 3 / 2;
        for (const auto& row : rows) {
            need(cellH);
            for (int c = 0; c < row.size(); ++c) {
                const QRect r(c * cellW, y_, cellW, cellH);
                if (row[c].colour.isValid()) {
                    p_.fillRect(r, row[c].colour);
                }
                p_.setPen(QColor(160, 160, 160));
                p_.drawRect(r);
                p_.setPen(Qt::black);
                p_.drawText(r, Qt::AlignCenter, row[c].text);
            }
            y_ += cellH;
        }
    }

    void image(const QImage& picture, int maxHeight) {
        if (picture.isNull()) {
            return;
        }
        QSize size = picture.size().scaled(width_, maxHeight, Qt::KeepAspectRatio);
        need(size.height());
        p_.drawImage(QRect(QPoint((width_ - size.width()) / 2, y_), size), picture);
        y_ += size.height();
    }

private:
    // Lines of `text` broken to `w`, each placed at its offset from the top.
    QList<std::pair<QTextLine, int>> lines(QTextLayout& layout, int w) const {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        QList<std::pair<QTextLine, int>> out;
        const QFontMetrics fm(layout.font(), p_.device());
        int y = 0;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(w);
            line.setPosition(QPointF(0, y));
            out.append({line, y});
            y += fm.lineSpacing();
        }
        layout.endLayout();
        return out;
    }
    int wrappedHeight(const QString& text, const QFont& font, int w) const {
        QTextLayout layout(text, font, p_.device());
        const QFontMetrics fm(font, p_.device());
        return std::max<int>(1, static_cast<int>(lines(layout, w).size())) * fm.lineSpacing();
    }
    void drawWrapped(const QString& text, const QFont& font, int x, int w) {
        QTextLayout layout(text, font, p_.device());
        lines(layout, w);
        p_.setPen(Qt::black);
        layout.draw(&p_, QPointF(x, y_));
    }

    QPdfWriter& writer_;
    QPainter& p_;
    int width_ = 0;
    int height_ = 0;
    int y_ = 0;
    int pages_ = 1;
    bool failed_ = false;
};

void layOut(Pages& pages, QPainter& painter, const ServiceReport::Content& content) {
    const QFont body(QStringLiteral("DejaVu Sans"), 9);
    const QFont bold(QStringLiteral("DejaVu Sans"), 9, QFont::Bold);
    const QFont small(QStringLiteral("DejaVu Sans"), 7);
    const QFont heading(QStringLiteral("DejaVu Sans"), 12, QFont::Bold);
    const QFont big(QStringLiteral("DejaVu Sans"), 16, QFont::Bold);
    const QFont mono(QStringLiteral("DejaVu Sans Mono"), 8);
    const int gap = painter.device()->logicalDpiY() / 6;

    pages.text(content.title, big);
    pages.text(content.date, body);
    if (!content.program.isEmpty()) {
        pages.text(content.program, body);
    }

    // The information and the settings read as one form: every value in the same column,
    // right of the longest name (at most 45 % of the width).
    const QFontMetrics nameMetrics(body, painter.device());
    int longest = 0;
    for (const ServiceReport::Field& f : content.info) {
        longest = std::max(longest, nameMetrics.horizontalAdvance(f.name));
    }
    for (const ServiceReport::Setting& s : content.settings) {
        longest = std::max(longest, nameMetrics.horizontalAdvance(s.name));
    }
    const int valueX = std::min(pages.width() * 45 / 100, longest + pages.width() / 25);

    pages.skip(gap);
    pages.text(content.infoTitle, heading);
    for (const ServiceReport::Field& f : content.info) {
        if (f.name.isEmpty() && f.value.isEmpty()) {
            pages.skip(gap / 2);
        } else if (f.name.isEmpty()) {
            pages.paragraph(f.value, mono);
        } else {
            pages.field(f.name, f.value, valueX, body, body);
        }
    }

    pages.skip(gap);
    pages.text(content.settingsTitle, heading);
    pages.field(content.settingsHeader.value(0), content.settingsHeader.value(1), valueX, bold,
                bold);
    for (const ServiceReport::Setting& s : content.settings) {
        pages.field(s.name, s.unit.isEmpty() ? s.value : s.value + QLatin1Char(' ') + s.unit,
                    valueX, body, body);
    }

    pages.skip(gap);
    pages.need(painter.viewport().height() / 3); // the heading and the table start together
    pages.text(content.mapTitle, heading);
    pages.table(content.map, small);
    pages.skip(gap);
    pages.image(content.chart, painter.viewport().height() / 2);

    pages.skip(gap);
    pages.text(content.linkTitle, heading);
    for (const QString& line : content.linkLines) {
        pages.text(line, body);
    }
}

} // namespace

QString ServiceReport::write(const QString& path, const Content& content) {
    // Into a new file renamed over the old one at the end: a failed report destroys nothing.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    bool written = false;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(content.title);
        writer.setCreator(QStringLiteral("Orvex"));
        QPainter painter;
        if (painter.begin(&writer)) {
            Pages pages(writer, painter);
            layOut(pages, painter, content);
            written = painter.end() && !pages.failed();
        }
    }
    if (!written || file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason.isEmpty() || file.error() == QFileDevice::NoError
                   ? QStringLiteral("write error")
                   : reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}
