#pragma once

#include <QWidget>

class QTextBrowser;

// The short manual built into the program, shown when no PDF manual is installed. Like the
// other small windows it lives for the whole run and is only shown and hidden.
class TFormHelp : public QWidget {
    Q_OBJECT

public:
    explicit TFormHelp(QWidget* parent = nullptr);

    QTextBrowser* HelpText = nullptr;

    // The manual's resource for a language number: Polish, or English for every other one.
    static QString ManualResource(int language);
    // Loads the manual in that language and shows the window with this caption.
    void ShowManual(int language, const QString& caption);
};
