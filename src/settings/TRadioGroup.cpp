#include "TRadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>
#include <algorithm>

TRadioGroup::TRadioGroup(QWidget* parent)
    : QGroupBox(parent), grid_(new QGridLayout(this)), group_(new QButtonGroup(this)) {
    grid_->setContentsMargins(2, 0, 2, 0);
    grid_->setSpacing(0);
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
    const int rows = (static_cast<int>(items_.size()) + columns_ - 1) / columns_;
    for (int i = 0; i < items_.size(); ++i) {
        auto* b = new QRadioButton(items_[i], this);
        b->setObjectName(objectName() + QString::number(i));
        b->setChecked(i == itemIndex_);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        b->setMinimumSize(0, 0);
        group_->addButton(b, i);
        // Items run down the first column, then the next, as in a classic radio group.
        grid_->addWidget(b, rows > 0 ? i % rows : 0, rows > 0 ? i / rows : 0);
        buttons_.append(b);
    }
}
