#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

// The About window: logo, the maker's name, address, web and e-mail, and the program version.
// Created once with the application and shown modally when asked.
class TFormAboud : public QDialog {
    Q_OBJECT

public:
    explicit TFormAboud(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* LabelLogNazwa = nullptr;
    QLabel* LabelLogAdres = nullptr;
    QLabel* LabelLogWww = nullptr;
    QLabel* LabelLogEma = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Button1 = nullptr;

    static constexpr const char* WebAddress = "https://www.example.com/";
    static constexpr const char* EmailAddress = "serwis@example.com";

    // How links are opened; the main window passes its own opener.
    std::function<void(const QUrl&)> UrlOpener;

    void Button1Click();
    void LabelLogWwwClick();
    void LabelLogEmaClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
