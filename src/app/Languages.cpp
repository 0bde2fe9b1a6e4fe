// Texts in the user's language: the lookup, and switching the whole window to a language.
#include "TForm1.h"

#include "ControlTag.h"
#include "FirmwarePage.h"
#include "FirmwareTab.h"
#include "LangControlTexts.h"
#include "MapToolBar.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QTableWidget>
#include <QTranslator>

namespace {

void setCaption(QObject* control, const QString& text) {
    if (auto* menu = qobject_cast<QMenu*>(control)) {
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        action->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    }
}

void setHint(QObject* control, const QString& text) {
    if (auto* action = qobject_cast<QAction*>(control)) {
        action->setToolTip(text);
    } else if (auto* widget = qobject_cast<QWidget*>(control)) {
        widget->setToolTip(text);
    }
}

// Qt's own texts (the buttons of standard dialogs) for a language number; empty for English,
// which Qt speaks without a catalogue.
QString qtCatalogueName(int language) {
    switch (language) {
    case LanguagePolish:
        return QStringLiteral("qtbase_pl");
    case LanguageGerman:
        return QStringLiteral("qtbase_de");
    case LanguageRussian:
        return QStringLiteral("qtbase_ru");
    default:
        return QString();
    }
}

} // namespace

bool TForm1::LoadQtTranslation(int language) {
    if (qtTranslator_ != nullptr) {
        QCoreApplication::removeTranslator(qtTranslator_.get());
        qtTranslator_.reset();
        DropFileDialogs(); // English from now on, or the next language's
    }
    const QString name = qtCatalogueName(language);
    if (name.isEmpty() || QCoreApplication::instance() == nullptr) {
        return name.isEmpty();
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false; // the catalogues are not installed: the dialogs stay in English
    }
    QCoreApplication::installTranslator(translator.get());
    qtTranslator_ = std::move(translator);
    DropFileDialogs();
    return true;
}

void TForm1::DropFileDialogs() {
    // A file dialog keeps the texts of the language it was made in (its places, its columns):
    // the next one is made in the new language.
    for (QFileDialog** dialog : {&OpenDialog1, &SaveDialog1}) {
        if (*dialog != nullptr && !(*dialog)->isVisible()) {
            delete *dialog;
            *dialog = nullptr;
        }
    }
}

QString TForm1::LangText(int id) const {
    return Lang.LangText(id);
}

int TForm1::Language() const {
    return Lang.Language;
}

void TForm1::MunuJezykPlClick(QAction* sender) {
    ApplyLanguage(sender->property("Tag").toInt());
    // Kept at once: a store that does not take it is said now, not found out at the next start.
    SaveSettings();
}

void TForm1::ApplyLanguage(int language) {
    if (language == -1) {
        language = Lang.Language;
    }
    // Texts shown from earlier messages (the status bar, the switch picture's hint) are found
    // by their text in the language left, and shown again in the new one; a text with a "%1"
    // in it (the device being reopened) keeps what stood in its place.
    struct Shown {
        int id = 0;
        QString arg;
        bool hasArg = false;
    };
    auto find = [this](const QString& text) {
        for (int id = 100; id < 960 && !text.isEmpty(); ++id) {
            const QString pattern = Lang.LangText(id);
            if (pattern == text) {
                return Shown{id, {}, false};
            }
            const qsizetype at = pattern.indexOf(QLatin1String("%1"));
            if (at < 0 || pattern.size() < 6 || pattern.indexOf(QLatin1String("%1"), at + 2) >= 0) {
                continue;
            }
            const QString before = pattern.left(at);
            const QString after = pattern.mid(at + 2);
            if (text.size() >= before.size() + after.size() && text.startsWith(before) &&
                text.endsWith(after)) {
                return Shown{
                    id, text.mid(before.size(), text.size() - before.size() - after.size()), true};
            }
        }
        return Shown{};
    };
    const Shown status = find(StatusText());
    const Shown hint = find(PanelSw->toolTip());
    Lang.Language = normalizeLanguage(language);
    LoadQtTranslation(Lang.Language);
    auto again = [this](const Shown& shown) {
        return shown.hasArg ? LangText(shown.id).arg(shown.arg) : LangText(shown.id);
    };
    if (status.id != 0) {
        SetStatusText(again(status));
    }
    if (hint.id != 0) {
        PanelSw->setToolTip(again(hint));
    }
    switch (Lang.Language) {
    case LanguagePolish:
        MunuJezykPl->setChecked(true);
        break;
    case LanguageGerman:
        MunuJezykDU->setChecked(true);
        break;
    case LanguageRussian:
        MunuJezykRU->setChecked(true);
        break;
    default:
        MunuJezykGB->setChecked(true);
        break;
    }

    for (const LangControlText& row : langControlTexts()) {
        QObject* control = findChild<QObject*>(QString::fromLatin1(row.objectName));
        if (control == nullptr) {
            continue; // a control this build does not have
        }
        // Button1's caption follows the tab it serves; other tags leave it as it is.
        if (row.onlyWhenTag != -1 && static_cast<int>(ControlTag::of(control)) != row.onlyWhenTag) {
            continue;
        }
        const QString text = LangText(row.textId);
        switch (row.property) {
        case LangProperty::Caption:
            setCaption(control, text);
            break;
        case LangProperty::Hint:
            setHint(control, text);
            break;
        case LangProperty::FirstItem:
            if (auto* group = qobject_cast<TRadioGroup*>(control);
                group && !group->Items().isEmpty()) {
                group->setItemText(0, text);
            }
            break;
        }
    }

    if (RGMapa->ItemIndex() == 1) {
        SetCell(GridMapa, 0, 0, LangText(212));
        SetCell(GridMapa, 0, 1, LangText(213));
    }

    if (Serial1 != nullptr) {
        const LangFacadeTexts facade = langFacadeTexts();
        Serial1->SetConnectCaption(LangText(facade.connectCaption));
        Serial1->SetDisconnectCaption(LangText(facade.disconnectCaption));
        // What the user can do about a port that would not open (the message's first part
        // stays as it is in every language).
        TMySerial::OpenErrorTexts why;
        why.permission = LangText(180);
        why.joinGroup = LangText(181);
        why.busy = LangText(182);
        why.missing = LangText(183);
        why.notSerial = LangText(184);
        why.other = LangText(185);
        Serial1->SetOpenErrorTexts(why);
    }

    // The output polarity keeps its choice: the item texts are replaced in place, so no click
    // (and no setting write) comes out of a language change.
    const QStringList polarity{LangText(555), QStringLiteral("5V")};
    if (RGWyjKor->Items().size() == polarity.size()) {
        for (int i = 0; i < polarity.size(); ++i) {
            RGWyjKor->setItemText(i, polarity[i]);
        }
    } else {
        const int index = RGWyjKor->ItemIndex();
        RGWyjKor->setItems(polarity);
        RGWyjKor->setItemIndex(index);
    }
    ApplyMeasurementTexts();
    SetMapChartTexts(); // titles and axis captions, when the chart exists
    // The map toolbar's file buttons as File-menu items (the toolbar shows their icons).
    ToolBtnOpen->setText(LangText(886));
    ToolBtnSave->setText(LangText(887));
    ToolBtnMapKasuj->setText(LangText(888));
    if (MapTools != nullptr) {
        MapTools->setTexts();
    }
    if (Firmware != nullptr) {
        Firmware->page().Retranslate();
    }
    ApplyServiceToolTexts();
    ApplyHeldEditTexts();
    if (DemoEngine != nullptr) {
        DemoEngine->setText(LangText(985));
    }
    ShowSettingsNote();
}
