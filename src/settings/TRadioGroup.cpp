#include "TRadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), group_(new QButtonGroup(this)) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setMinimumSize(0, 0);
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) { select(id); });
}

void TRadioGroup::setItems(const QStringList& items) {
    items_ = items;
    if (itemIndex_ >= items_.size()) {
        itemIndex_ = -1;
    }
    rebuild();
}

void TRadioGroup::setItemText(int index, const QString& text) {
    if (index < 0 || index >= items_.size()) {
        return;
    }
    items_[index] = text;
    buttons_[index]->setText(text);
}

void TRadioGroup::setColumns(int columns) {
    columns_ = std::max(1, columns);
    rebuild();
}

QRadioButton* TRadioGroup::button(int index) const {
    return index >= 0 && index < buttons_.size() ? buttons_[index] : nullptr;
}

void TRadioGroup::setItemIndex(int index) {
    index = std::clamp(index, -1, static_cast<int>(items_.size()) - 1);
    select(index);
}

void TRadioGroup::select(int index) {
    if (index == itemIndex_) {
        // The user re-picked the selected item: nothing changes, nothing to report.
        return;
    }
    itemIndex_ = index;
    // An exclusive group cannot show "nothing selected"; drop exclusivity while clearing.
    group_->setExclusive(false);
    for (int i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setChecked(i == itemIndex_);
    }
    group_->setExclusive(true);
    emit OnClick(this);
}

void TRadioGroup::rebuild() {
    for (QRadioButton* b : buttons_) {
        group_->removeButton(b);
        delete b;
    }
    buttons_.clear();
    for (int i = 0; i < items_.size(); ++i) {
        auto* b = new QRadioButton(items_[i], this);
        b->setObjectName(objectName() + QString::number(i));
        b->setChecked(i == itemIndex_);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        b->setMinimumSize(0, 0);
        group_->addButton(b, i);
        b->show();
        buttons_.append(b);
    }
    placeItems();
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    placeItems();
}

void TRadioGroup::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        placeItems();
    }
}

void TRadioGroup::paintEvent(QPaintEvent*) {
    // A classic group frame: its top line runs through the middle of the caption and the items
    // lie inside it (the style's frame of a group this low would start below the caption, across
    // the items).
    QPainter p(this);
    p.setFont(captionFont());
    const QFontMetrics fm(captionFont());
    const int mid = fm.height() / 2;
    const int right = width() - 1;
    const int bottom = height() - 1;
    // A caption too long even in the smallest size ends in an ellipsis rather than run over.
    const QString caption =
        fm.elidedText(title().trimmed(), Qt::ElideRight, std::max(0, width() - 12));
    const int textLeft = 6;
    const int textRight = caption.isEmpty()
                              ? textLeft
                              : std::min(right, textLeft + fm.horizontalAdvance(caption) + 4);
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, mid, 0, bottom);
    p.drawLine(0, bottom, right, bottom);
    p.drawLine(right, bottom, right, mid);
    p.drawLine(0, mid, textLeft - 2, mid);
    p.drawLine(textRight + 2, mid, right, mid);
    if (!caption.isEmpty()) {
        style()->drawItemText(&p, QRect(textLeft, 0, textRight - textLeft, fm.height()),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, palette(),
                              isEnabled(), caption, QPalette::WindowText);
    }
}

int TRadioGroup::markWidth(const QFontMetrics& fm) {
    // The mark follows the text's size (the style's own is fixed, too big beside small text).
    return std::clamp(fm.height() * 2 / 3, 8, 14) + 3;
}

bool TRadioGroup::fits(const QFont& font, QSize size) const {
    return captionFits(font, size) && itemsFit(font, size);
}

bool TRadioGroup::captionFits(const QFont& font, QSize size) const {
    // The caption sits 6 px in, with 2 px of frame line gap after it.
    return QFontMetrics(font).horizontalAdvance(title().trimmed()) + 12 <= size.width();
}

bool TRadioGroup::itemsFit(const QFont& font, QSize size) const {
    const QFontMetrics fm(font);
    const int count = static_cast<int>(items_.size());
    if (count == 0) {
        return true;
    }
    const int rows = (count + columns_ - 1) / columns_;
    const int cellWidth = (size.width() - 6) / columns_;
    const int cellHeight = (size.height() - fm.height() - 2) / rows;
    if (cellHeight < fm.height() - 2) {
        return false;
    }
    for (const QString& item : items_) {
        if (markWidth(fm) + fm.horizontalAdvance(item) + 2 > cellWidth) {
            return false;
        }
    }
    return true;
}

void TRadioGroup::setCaptionPointSize(int pointSize) {
    if (pointSize != captionPointSize_) {
        captionPointSize_ = pointSize;
        placeItems();
        update();
    }
}

QFont TRadioGroup::captionFont() const {
    QFont f = font();
    if (captionPointSize_ > 0) {
        f.setPointSize(captionPointSize_);
    }
    return f;
}

void TRadioGroup::placeItems() {
    // The items share the room under the caption evenly; they run down the first column, then
    // the next, as in a classic radio group. Placed by hand so that a low group still shows
    // its items whole.
    const int count = static_cast<int>(buttons_.size());
    if (count == 0) {
        return;
    }
    const int mark = markWidth(fontMetrics()) - 3;
    if (mark != markSize_) {
        markSize_ = mark;
        setStyleSheet(QStringLiteral("QRadioButton { spacing: 3px; } "
                                     "QRadioButton::indicator { width: %1px; height: %1px; }")
                          .arg(mark));
    }
    const int rows = (count + columns_ - 1) / columns_;
    const int top = QFontMetrics(captionFont()).height();
    const int areaWidth = std::max(1, width() - 6);
    const int areaHeight = std::max(1, height() - top - 2);
    const int cellWidth = areaWidth / columns_;
    const int cellHeight = std::max(1, areaHeight / rows);
    for (int i = 0; i < count; ++i) {
        const int col = i / rows;
        const int row = i % rows;
        // Set, not inherited: a style sheet on the group stops the font from propagating.
        buttons_[i]->setFont(font());
        buttons_[i]->setGeometry(3 + col * cellWidth, top + row * cellHeight, cellWidth,
                                 cellHeight);
    }
}
