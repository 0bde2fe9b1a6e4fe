#include "TNvScope.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLine>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

TNvScope::TNvScope(QWidget* parent) : QFrame(parent) {
    ChannelColors = {QColor(255, 0, 0),   QColor(0, 0, 255),   QColor(0, 128, 0),
                     QColor(255, 0, 255), QColor(0, 128, 128), QColor(128, 0, 0),
                     QColor(128, 0, 128), QColor(128, 0, 128)};
    AnalogLabels = DefaultAnalogLabels();
    BitLabels = {QStringLiteral("WEJ KOR"), QStringLiteral("WEJ ROZ"),
                 QStringLiteral("WYJ KOR"), QStringLiteral("WYJ ROZ"),
                 QStringLiteral("ZAPŁON"),  QStringLiteral("IMPULSY OK")};
    SampleRing.assign(DefaultRingSize, Sample{});
    Beep = [] { QApplication::beep(); };
    WarningBox = [](const QString& text, const QString& caption) {
        QMessageBox::warning(nullptr, caption, text);
    };
}

QStringList TNvScope::DefaultAnalogLabels() {
    return {QStringLiteral("Paliwo"), QStringLiteral("TPS"), QStringLiteral("Obroty"),
            QStringLiteral("KĄT")};
}

TNvScope::~TNvScope() {
    file_.close();
}

TNvScope::Sample& TNvScope::sample(int i) {
    const int n = RingSize();
    return SampleRing[static_cast<std::size_t>(((i % n) + n) % n)];
}

const TNvScope::Sample& TNvScope::sample(int i) const {
    const int n = RingSize();
    return SampleRing[static_cast<std::size_t>(((i % n) + n) % n)];
}

void TNvScope::SetRingSize(int size) {
    SampleRing.assign(static_cast<std::size_t>(std::max(size, 1)), Sample{});
    WriteIndex = 0;
}

void TNvScope::ScopeResize(QPaintDevice* canvas, int left, int top, int width, int height) {
    SetScopeBounds(canvas, left, top, width, height);
    ScopeUpdate();
}

void TNvScope::SetScopeBounds(QPaintDevice* canvas, int left, int top, int width, int height) {
    canvas_ = canvas;
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
}

void TNvScope::ScopeUpdate() {
    if (busy_) {
        return;
    }
    busy_ = true;
    Render();
    ScopePaint();
    QCoreApplication::processEvents();
    busy_ = false;
}

void TNvScope::ScopePaint() {
    if (canvas_ == nullptr || bitmap_.isNull()) {
        return;
    }
    if (auto* widget = dynamic_cast<QWidget*>(canvas_)) {
        widget->update(QRect(left_, top_, bitmap_.width(), bitmap_.height()));
        return;
    }
    QPainter p(canvas_);
    PaintOn(p);
}

void TNvScope::PaintOn(QPainter& painter) const {
    painter.drawImage(left_, top_, bitmap_);
}

void TNvScope::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (canvas_ == this) {
        QPainter p(this);
        PaintOn(p);
    }
}

int TNvScope::PosX(int i) const {
    if (ViewEnd <= ViewStart) {
        return MarginLeft;
    }
    const double plot = width_ - MarginLeft - MarginRight;
    return MarginLeft + static_cast<int>(std::trunc(plot * (i - ViewStart) /
                                                    static_cast<double>(ViewEnd - ViewStart)));
}

int TNvScope::PosY0(int channel) const {
    const int h = height_ - MarginTop - MarginBottom;
    return MarginTop + (h / ChannelCount) * (channel + 1);
}

int TNvScope::PosY(int i, int c) const {
    const int h = height_ - MarginTop - MarginBottom;
    const int row = h / ChannelCount;
    const int amp = -(h / (ChannelCount + 1));
    const Sample& s = sample(i);
    int v = 0;
    if (BitMode) {
        v = ((s[0] >> (c + 2)) & 1) * amp;
    } else {
        // 64 bits: a large recorded value must not overflow the product.
        v = static_cast<int>(static_cast<std::int64_t>(s[static_cast<std::size_t>(c & 7)]) * amp /
                             256);
    }
    return MarginTop + v + row * c + row;
}

int TNvScope::XToTik(int x, int mode) const {
    const int plot = width_ - MarginLeft - MarginRight;
    if (plot <= 0) {
        return 0;
    }
    if (mode != 0) {
        return std::abs(
            static_cast<int>(std::trunc(static_cast<double>(x - MarginLeft) * SampleCount / plot)));
    }
    return std::abs((x - MarginLeft) * (ViewEnd - ViewStart) / plot + ViewStart);
}

void TNvScope::WriteToBuff(const std::uint8_t* bytes, int count) {
    const int n = RingSize();
    const int span = std::min(2 * PlotWidth(), 2048);
    if (!CaptureArmed) {
        return;
    }
    for (int k = 0; k < count; ++k) {
        ++WriteIndex;
        if (WriteIndex > n - 1) {
            WriteIndex = 0;
            if (TriggerSeen) {
                TriggerSeen = false;
                CaptureArmed = false;
                if (Beep) {
                    Beep();
                }
                ViewStart = 0;
                ViewEnd = n;
            } else {
                int j = span / 2;
                for (; j < n - span / 2; ++j) {
                    if ((sample(j - 1)[0] & 2) != 0 && (sample(j)[0] & 2) == 0) {
                        break;
                    }
                }
                ViewStart = j - span / 2;
                ViewEnd = j + span / 2;
            }
            ScopeUpdate();
            return;
        }
        Sample& s = sample(WriteIndex);
        s[0] = bytes[k];
        const int previous = WriteIndex == 1 ? n - 1 : WriteIndex - 1;
        if ((sample(previous)[0] & 0x80) != 0 && (s[0] & 0x80) == 0) {
            TriggerSeen = true;
        }
    }
}

void TNvScope::LoadFromFile(const QString& fileName, int recordSize, int headerOffset) {
    recordSize_ = std::max(recordSize, 1);
    headerOffset_ = std::max(headerOffset, 0);
    file_.close();
    file_.setFileName(fileName);
    // Reading is all the component does with the file: a read-only file loads too.
    if (!file_.open(QIODevice::ReadOnly)) {
        fileLoaded_ = false;
        if (WarningBox) {
            WarningBox(QStringLiteral(" Nie można otworzyć pliku "),
                       QStringLiteral(" Zentra -  Błąd! "));
        }
    } else {
        fileLoaded_ = true;
        SampleCount =
            static_cast<int>(std::max<qint64>(file_.size() - headerOffset_, 0) / recordSize_);
        ViewStart = 0;
        int n = SampleCount;
        if (static_cast<qint64>(n) * recordSize_ > DefaultRingSize) {
            n = DefaultRingSize / recordSize_;
        }
        LoadFileBuf(0, n);
        ViewEnd = n / 10;
        SavedStart = ViewStart;
        SavedEnd = ViewEnd;
    }
    ScopeUpdate();
}

bool TNvScope::LoadFileBuf(int first, int last) {
    if (!fileLoaded_ || (first > bufFirst_ && last < bufLast_)) {
        return false;
    }
    const int window = DefaultRingSize / recordSize_;
    last = std::min(last, first + window);
    int start = first;
    if (last > SampleCount) {
        start = std::max(SampleCount - window, 0);
    }
    file_.seek(static_cast<qint64>(start) * recordSize_ + headerOffset_);
    bufFirst_ = start;
    bufLast_ = std::min(last, SampleCount);
    return true;
}

void TNvScope::TextOut(QPainter& painter, int x, int y, const QString& text) const {
    painter.drawText(x, y + QFontMetrics(painter.font()).ascent(), text);
}

void TNvScope::TextEx(const QString& label, double value, double scale, const QString& unit, int y,
                      const QColor& colour) {
    if (bitmap_.isNull()) {
        return;
    }
    QPainter p(&bitmap_);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    p.setPen(colour);
    TextOut(p, width_ - MarginRight + 2, y,
            label + QStringLiteral("  ") + QString::number(value * scale) + unit);
}

void TNvScope::RightMarginText(const QString& label, double value, double scale,
                               const QString& unit, int row) {
    if (bitmap_.isNull()) {
        return;
    }
    QPainter p(&bitmap_);
    p.setPen(Qt::black);
    const int x = width_ - MarginRight + 2;
    const int y = MarginTop + 30 * row;
    TextOut(p, x, y, QStringLiteral("  ") + label);
    TextOut(p, x, y + 12, QString::number(value * scale) + unit);
}

QString TNvScope::DouPreToStr(double value) {
    return QString::asprintf("%.2f", value);
}

void TNvScope::CallOnTekst(const QString& text, const QColor& colour, int number) {
    if (OnTekst) {
        OnTekst(this, text, colour, number);
    }
}

void TNvScope::Render() {
    if (width_ <= 0 || height_ <= 0) {
        bitmap_ = QImage();
        return;
    }
    if (bitmap_.size() != QSize(width_, height_)) {
        bitmap_ = QImage(width_, height_, QImage::Format_RGB32);
    }
    bitmap_.fill(Qt::white);
    QPainter p(&bitmap_);
    drawFrame(p);
    if (BitMode) {
        drawBitView(p);
    } else {
        drawAnalogView(p);
    }
    drawTraces(p);
    DrawExtras(p);
}

void TNvScope::DrawExtras(QPainter&) {}

void TNvScope::drawFrame(QPainter& p) {
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    const int l = MarginLeft;
    const int t = MarginTop;
    const int r = width_ - MarginRight;
    const int b = height_ - MarginBottom;
    const QPoint corners[] = {{l, t}, {l, b}, {r, b}, {r, t}, {l, t}};
    p.drawPolyline(corners, 5);
}

void TNvScope::drawBitView(QPainter& p) {
    const int x = width_ - MarginRight + 2;
    for (int c = 0; c < BitLabels.size() && c < 8; ++c) {
        p.setPen(ChannelColors[static_cast<std::size_t>(c)]);
        TextOut(p, x, PosY0(c) - 16, BitLabels[c]);
    }
    const int mid = MarginLeft + (width_ - MarginRight - MarginLeft) / 2;
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawLine(mid, MarginTop, mid, height_ - MarginBottom);
}

void TNvScope::drawAnalogView(QPainter& p) {
    const int x = width_ - MarginRight + 2;
    for (int c = 0; c < AnalogLabels.size() && c < ChannelCount && c < 8; ++c) {
        p.setPen(ChannelColors[static_cast<std::size_t>(c)]);
        TextOut(p, x, PosY0(c) - 16, AnalogLabels[c]);
    }
    if (FollowWrite) {
        ViewEnd = WriteIndex;
        ViewStart = ViewEnd - PlotWidth();
    }
    const int range = ViewEnd - ViewStart;
    int step = 10;
    if (range > 100) {
        step = 100;
    }
    if (range > 1000) {
        step = 1000;
    }
    if (range > 10000) {
        step = 10000;
    }
    // A long recording would still give thousands of ticks: never more than one per 40 px.
    while (step < range && PlotWidth() > 0 && range / step > PlotWidth() / 40) {
        step *= 10;
    }
    const int first = ViewStart + ((step - ViewStart % step) % step);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    std::vector<QLine> ticks;
    std::vector<std::pair<int, int>> labels;
    for (int i = first; i < ViewEnd; i += step) {
        if (i < TraceFrom) {
            continue;
        }
        const int px = PosX(i);
        ticks.emplace_back(px, MarginTop, px, height_ - MarginBottom);
        labels.emplace_back(px, i / 10);
    }
    p.drawLines(ticks.data(), static_cast<int>(ticks.size()));
    p.setPen(QColor(128, 128, 128));
    const QFontMetrics fm(p.font());
    for (const auto& [px, seconds] : labels) {
        const QString text = QString::number(seconds) + QLatin1Char('s');
        // A label running into the right margin's values would be cut there: it stands left
        // of its line instead.
        const int w = fm.horizontalAdvance(text);
        const int at = px + w > width_ - MarginRight + 2 ? px - w - 2 : px;
        TextOut(p, at, height_ - MarginBottom + 3, text);
    }
}

void TNvScope::drawTraces(QPainter& p) {
    const int plotRight = width_ - MarginRight;
    const int from = std::max(ViewStart, TraceFrom);
    // Every channel's samples share their x: worked out once (a long recording has many).
    std::vector<int> xs;
    if (ViewEnd >= from) {
        xs.resize(static_cast<std::size_t>(ViewEnd - from) + 1);
        for (int i = from; i <= ViewEnd; ++i) {
            xs[static_cast<std::size_t>(i - from)] = PosX(i);
        }
    }
    std::vector<QLine> lines;
    for (int c = 0; c < ChannelCount && c < 8; ++c) {
        const QColor colour = ChannelColors[static_cast<std::size_t>(c)];
        // The baseline in the channel's colour at half strength.
        p.setPen(
            QPen(QColor(colour.red() / 2, colour.green() / 2, colour.blue() / 2), 1, Qt::DotLine));
        const int y0 = PosY0(c);
        p.drawLine(MarginLeft, y0, plotRight, y0);

        lines.clear();
        int lastX = std::max(PosX(from), MarginLeft);
        int lastY = PosY(from, c);
        int low = lastY;
        int high = lastY;
        for (int i = from; i <= ViewEnd; ++i) {
            const int x = xs[static_cast<std::size_t>(i - from)];
            const int y = PosY(i, c);
            if (x == lastX) {
                low = std::min(low, y);
                high = std::max(high, y);
                continue;
            }
            // The stroke ends at the smallest y; the line to the next column starts there.
            if (high != low) {
                lines.emplace_back(lastX, high, lastX, low);
                lastY = low;
            }
            lines.emplace_back(lastX, lastY, x, y);
            lastX = x;
            lastY = y;
            low = y;
            high = y;
        }
        if (high != low) {
            lines.emplace_back(lastX, high, lastX, low);
        }
        p.setPen(QPen(colour, 1, Qt::SolidLine));
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
}
