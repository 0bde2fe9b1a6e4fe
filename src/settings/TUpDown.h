#pragma once

#include <QWidget>

class QToolButton;

// A pair of arrows that steps an integer position between Min and Max. The position moves
// first, then OnClick reports which arrow was pressed; setting the position from code reports
// nothing.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    enum TUDBtnType { btNext, btPrev };

    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int Increment() const { return increment_; }
    void setMin(int min);
    void setMax(int max);
    void setPosition(int position); // clamped to Min..Max
    void setIncrement(int increment) { increment_ = increment; }

    // What a press on an arrow does (also used by tests that "press" it).
    void press(TUDBtnType button);

signals:
    void OnClick(TUpDown* sender, TUpDown::TUDBtnType button);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int increment_ = 1;
};
