#pragma once

#include "FirmwareFiles.h"
#include "FirmwareProgrammer.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class FirmwareHost;
class QPushButton;
class QLabel;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TFormUpg;

// The update tab: the catalogue of firmware versions for the connected controller in
// TreeView1, the sensor signal picture in PaintBox1, Button1 ("Write") and the programming run
// with its progress window. Created once by the main window, as its child.
class FirmwarePage : public QObject, private ProgrammingProgress {
    Q_OBJECT
public:
    struct Widgets {
        QTreeWidget* TreeView1 = nullptr;
        QLabel* LabelOpis = nullptr;
        QWidget* PaintBox1 = nullptr;
        QPushButton* Button1 = nullptr;
        QTextEdit* RichEdit1 = nullptr;
    };

    FirmwarePage(FirmwareHost& host, const Widgets& widgets, QObject* parent = nullptr);
    ~FirmwarePage() override;

    // Called by the tab switch each time the update tab is shown.
    void BuildFirmwareCatalogue();
    // The language changed: the catalogue's texts follow, the selection stays.
    void Retranslate();
    void TreeView1Change();
    void TreeView1DblClick();
    void Button1Click();
    void ShowSignalPicture();
    void PaintBox1DblClick();
    void ProgramFirmware();

    int PictureZoom = 0;
    bool Running() const { return running_; }
    TFormUpg* FormUpg() const { return formUpg_.get(); }
    FirmwareProgrammer& Programmer() { return programmer_; }

    // Message boxes; tests replace them. The question returns true for Yes.
    std::function<bool(const QString& text, const QString& caption)> AskYesNo;
    std::function<void(QMessageBox::Icon icon, const QString& text, const QString& caption)>
        ShowBox;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ProgrammingProgress
    void loaderIdentified(const LoaderIdentity& loader, int blockCount) override;
    void blockRequested(int blockIndex, int blockCount, int remainingSeconds) override;
    void replyLogged(const QString& line) override;
    void transferResumed(int attempt, int attempts, bool silent) override;

    void startWhenIdle();
    bool imageInstalled(const QTreeWidgetItem* item) const;
    QString imageProblem(const FirmwareFiles::Loaded& loaded) const;
    void paintPicture();

    FirmwareHost& host_;
    Widgets w_;
    std::unique_ptr<TFormUpg> formUpg_;
    FirmwareProgrammer programmer_;
    bool running_ = false;
    bool startQueued_ = false;
    QString attempt_; // "Attempt 2 of 3" once a transfer was resumed, before the remaining time
    int pictureCode_ = -1;
    QPointer<QWidget> paintBox_;
};
