#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A captioned group of radio items arranged in Columns. ItemIndex -1 means nothing selected.
// OnClick fires whenever ItemIndex changes, whether the user picked an item or code set it;
// picking the item that is already selected fires nothing.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    void setCaption(const QString& caption) { setTitle(caption); }
    QString caption() const { return title(); }

    void setItems(const QStringList& items); // keeps ItemIndex when it is still in range
    QStringList Items() const { return items_; }
    // Replaces one item's text in place (keeps the selection).
    void setItemText(int index, const QString& text);

    int ItemIndex() const { return itemIndex_; }
    void setItemIndex(int index); // clamped to -1 .. count-1

    int Columns() const { return columns_; }
    void setColumns(int columns);

    QRadioButton* button(int index) const;

    // Whether caption and items, drawn in this font, fit a group of this size whole.
    bool fits(const QFont& font, QSize size) const;
    bool captionFits(const QFont& font, QSize size) const;
    bool itemsFit(const QFont& font, QSize size) const;

    // The caption may be drawn smaller than the items (a long caption in another language);
    // 0: in the group's own font.
    void setCaptionPointSize(int pointSize);
    QFont captionFont() const;

signals:
    void OnClick(TRadioGroup* sender);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void rebuild();
    void placeItems();
    void select(int index);
    // The room the round mark and its gap take before an item's text.
    static int markWidth(const QFontMetrics& fm);

    QButtonGroup* group_;
    QList<QRadioButton*> buttons_;
    QStringList items_;
    int itemIndex_ = -1;
    int columns_ = 1;
    int markSize_ = 0;
    int captionPointSize_ = 0;
};
