#include "SwitchIndicator.h"

#include "BgrColor.h"
#include "SwitchPicture.h"

#include <QPainter>

SwitchIndicator::SwitchIndicator(QWidget* parent) : QWidget(parent) {}

void SwitchIndicator::setLiveMode(std::uint8_t mode) {
    if (mode != liveMode_) {
        liveMode_ = mode;
        update();
    }
}

void SwitchIndicator::paintEvent(QPaintEvent*) {
    const SwitchPicture pic = SwitchPicture::compute(width(), height(), liveMode_);
    QPainter painter(this);
    painter.fillRect(rect(), buttonFaceColor());
    if (pic.showOnText && pic.onFontSize > 0) {
        QFont f = font();
        f.setPointSize(pic.onFontSize);
        painter.setFont(f);
        painter.setPen(Qt::black);
        const QFontMetrics fm(f);
        painter.drawText(pic.onTextX, pic.onTextY + fm.ascent(), QStringLiteral("ON"));
    }
    // Box right/bottom are excluded, as the classic filled rectangle draws them.
    auto draw = [&painter](const SwitchPicture::Box& b, const QColor& fill) {
        if (b.right - b.left < 2 || b.bottom - b.top < 2) {
            return;
        }
        painter.setBrush(fill);
        painter.drawRect(QRect(b.left, b.top, b.right - b.left - 1, b.bottom - b.top - 1));
    };
    painter.setPen(Qt::black);
    for (const auto& box : pic.slotBoxes) {
        draw(box, colorFromBgr(0x808080));
    }
    for (const auto& knob : pic.knobs) {
        draw(knob.box, colorFromBgr(knob.bgr));
    }
}
