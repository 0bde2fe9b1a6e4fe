#include "TUpDown.h"

#include <QToolButton>
#include <algorithm>

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setObjectName("up");
    down_->setObjectName("down");
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { press(btNext); });
    connect(down_, &QToolButton::clicked, this, [this] { press(btPrev); });
}

void TUpDown::setMin(int min) {
    min_ = min;
    if (max_ < min_) {
        max_ = min_;
    }
    position_ = std::clamp(position_, min_, max_);
}

void TUpDown::setMax(int max) {
    max_ = max;
    if (min_ > max_) {
        min_ = max_;
    }
    position_ = std::clamp(position_, min_, max_);
}

void TUpDown::setPosition(int position) {
    position_ = std::clamp(position, min_, max_);
}

void TUpDown::press(TUDBtnType button) {
    if (!isEnabled()) {
        return;
    }
    setPosition(button == btNext ? position_ + increment_ : position_ - increment_);
    emit OnClick(this, button);
}

void TUpDown::resizeEvent(QResizeEvent*) {
    const int h = height() / 2;
    up_->setGeometry(0, 0, width(), h);
    down_->setGeometry(0, h, width(), height() - h);
}
