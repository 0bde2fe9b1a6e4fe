#pragma once

// The map code's view of the window, with plain fields: what the window would show is recorded.
#include "ControllerMirror.h"
#include "MapHost.h"

#include <QStringList>

class FakeMapHost : public MapHost {
public:
    ControllerMirror m;
    bool on = true;
    bool editable = true;
    TChart3D* chart = nullptr;
    int beeps = 0;
    QString status;
    QStringList errors;
    QString caption;
    QString title;
    int portCloses = 0;
    QString nextFileName; // what the dialog "returns"
    QStringList dialogs;  // titles of the dialogs run

    ControllerMirror& mirror() override { return m; }
    QString mapText(int id) const override {
        switch (id) {
        case 260:
            return QStringLiteral("Line %1: \"%2\" is not a number.");
        case 700:
            return QStringLiteral("Open map file");
        case 701:
            return QStringLiteral("Save map file");
        case 702:
            return QStringLiteral(" Cannot open file ");
        case 703:
            return QStringLiteral(" Erroneous data ");
        case 815:
            return QStringLiteral("text 815 [%1 %2 %3]");
        case 816:
        case 822:
            return QStringLiteral("text %1 [%2]").arg(id).arg(QStringLiteral("%1"));
        case 820:
            return QStringLiteral("file %1 not written");
        case 817:
            return QStringLiteral("text 817 [%1 %2]");
        case 883:
            return QStringLiteral("text 883 [%1 %2 %3]");
        case 818:
            return QStringLiteral("%1 cells differ, largest %2.");
        case 819:
            return QStringLiteral("Other controller %1, this %2.");
        case 860:
            return QStringLiteral("%1 bytes, not 48 or more.");
        case 861:
            return QStringLiteral("Byte 40 holds %1, not 1.");
        case 862:
            return QStringLiteral("Not a regular file.");
        case 863:
            return QStringLiteral("The file holds no map cells.");
        case 710:
            return QStringLiteral("csv file (*.csv)|*.csv|all files|*.*");
        case 990:
            return QStringLiteral("%1 bytes, map file %2.");
        case 991:
            return QStringLiteral("No csv map.");
        case 992:
            return QStringLiteral("\"%1\" is no number, the cell keeps %2.");
        case 885:
            return QStringLiteral("map file (*.orvx)|*.orvx|csv map (*.csv)|*.csv|all files|*.*");
        default:
            return QStringLiteral("text %1").arg(id);
        }
    }
    bool mapOn() const override { return on; }
    bool mapEditable() const override { return editable; }
    TChart3D* mapChart() override { return chart; }
    void beep() override { ++beeps; }
    void setStatusText(const QString& text) override { status = text; }
    int nextFilter = 0;  // the filter left selected in the dialog
    QStringList filters; // the filter texts of the dialogs run
    QString askFileName(bool, const QString& t, const QString& f, const QString&,
                        int* chosenFilter = nullptr) override {
        dialogs << t;
        filters << f;
        if (chosenFilter != nullptr) {
            *chosenFilter = nextFilter;
        }
        return nextFileName;
    }
    void showFileError(const QString& text) override { errors << text; }
    void setFileCaption(const QString& c, const QString& t) override {
        caption = c;
        title = t;
    }
    void closePort() override { ++portCloses; }
    QStringList questions;   // texts of the Yes/No questions asked
    QList<bool> yesDefaults; // whether Yes was the default button of each
    bool answer = true;
    bool askYesNo(const QString& text, bool yesIsDefault) override {
        questions << text;
        yesDefaults << yesIsDefault;
        return answer;
    }
    int backups = 0; // maps about to be written over (backed up first)
    bool mapFileAboutToBeWritten(const ControllerMirror&) override {
        ++backups;
        return true;
    }
    bool answering = true;
    bool controllerAnswering() const override { return answering; }
    bool controllerReady() const override { return answering && editable; }
};
