#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The programming progress window: a small tool window that stays on top and that the user
// cannot close. It has no behaviour of its own: the programming sets its caption, label and
// bar, shows it centred on the main window and closes it.
class TFormUpg : public QWidget {
    Q_OBJECT
public:
    explicit TFormUpg(QWidget* owner = nullptr);

    // Shows the window centred on `over` (not modal).
    void ShowCentred(QWidget* over);
    // Closes it (the user cannot).
    void CloseWindow();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool closing_ = false;
};
