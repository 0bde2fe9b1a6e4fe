// Edits the controller does not hold yet: the settings held while it did not answer (offered
// on its return), their marks, the questions before a fresh read and before closing, the
// factory settings with their backup, and restoring settings from a backup.
#include "TForm1.h"

#include "ControlTag.h"
#include "MapBackup.h"
#include "MapFile.h"
#include "MapFileCommands.h"
#include "MapGridEditor.h"
#include "ParametersTab.h"
#include "PendingWrites.h"
#include "PollTickResult.h"
#include "SettingEditMarks.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

constexpr int HeldHeading = 965; // settings changed while the controller did not answer
constexpr int SentHeading = 966; // sent, not confirmed
constexpr int WriteThemQuestion = 967;
constexpr int NotTakenHeading = 968; // %1 writes
constexpr int DefaultsBackupLine = 969;
constexpr int RestoreMenuText = 971;
constexpr int RestoreQuestion = 972; // %1 the backup
constexpr int RestoreSame = 973;
constexpr int CloseHeading = 974;
constexpr int CellsLine = 975; // %1 map cells
constexpr int SaveButton = 976;
constexpr int CloseButton = 977;
constexpr int StayButton = 978;
constexpr int ReadHeading = 979;
constexpr int KeepButton = 980;
constexpr int DiscardButton = 981;
constexpr int SavedLine = 982; // %1 the file
constexpr int RestoreTitle = 983;
constexpr int NotAMapFile = 984;

} // namespace

void TForm1::CreateHeldEdits() {
    HeldMarks = std::make_unique<SettingEditMarks>(*this, [this](int id) { return LangText(id); });
    MenuPlikiPrzywroc = new QAction(this);
    MenuPlikiPrzywroc->setObjectName(QStringLiteral("MenuPlikiPrzywroc"));
    MenuPliki->insertAction(MenuPlikiRaport, MenuPlikiPrzywroc);
    connect(MenuPlikiPrzywroc, &QAction::triggered, this, [this] { MenuPlikiPrzywrocClick(); });
}

void TForm1::ApplyHeldEditTexts() {
    if (MenuPlikiPrzywroc != nullptr) {
        MenuPlikiPrzywroc->setText(LangText(RestoreMenuText));
    }

    heldMarksShown_ = ~0U; // the tooltips in the new language
    ShowHeldSettings();
}

int TForm1::AskChoiceBox(const QString& text, const QStringList& buttons, int defaultButton) {
    if (AskChoice) {
        return AskChoice(text, buttons, defaultButton);
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orvex"), text, QMessageBox::NoButton,
                    this);
    QList<QPushButton*> pushed;
    for (int i = 0; i < buttons.size(); ++i) {
        // The last button answers Esc and the window's close button.
        pushed << box.addButton(buttons[i], i + 1 == buttons.size() ? QMessageBox::RejectRole
                                                                    : QMessageBox::AcceptRole);
    }
    box.setDefaultButton(pushed.value(defaultButton));
    box.setEscapeButton(pushed.last());
    box.exec();
    const int chosen = int(pushed.indexOf(static_cast<QPushButton*>(box.clickedButton())));
    return chosen < 0 ? int(buttons.size()) - 1 : chosen;
}

void TForm1::SettingEdited(int index, int value) {
    const bool answering = controllerAnswering();
    Mirror.Held.settingEdited(index, value, answering);
    if (answering) {
        Mirror.queueSettingWrite(index, value);
    }
    HeldMarks->showUserValue(index, value);
    ShowHeldSettings();
}

void TForm1::ShowHeldSettings() {
    if (HeldMarks == nullptr) {
        return;
    }
    // Rebuilt only when something changed: this runs after every poll tick.
    std::uint32_t sign = 0;
    for (const HeldWrites::Setting& s : Mirror.Held.settings()) {
        sign = sign * 31U + std::uint32_t(s.index) * 7919U + std::uint32_t(s.value) * 131U +
               std::uint32_t(s.controllerValue + 1) + std::uint32_t(s.state) * 17U + 1U;
    }
    if (sign == heldMarksShown_) {
        return;
    }
    heldMarksShown_ = sign;
    HeldMarks->show(Mirror.Held.settings());
}

QStringList TForm1::HeldSettingLines(const QVector<HeldWrites::Setting>& settings) const {
    QStringList lines;
    for (const HeldWrites::Setting& s : settings) {
        for (const QString& line : HeldMarks->describe(s)) {
            lines << QStringLiteral("  ") + line;
        }
    }
    return lines;
}

void TForm1::AfterTickHeldEdits(const PollTickResult& result) {
    if (result.response && result.response->settings &&
        !result.response->settings->notTaken.isEmpty()) {
        const QString text = LangText(NotTakenHeading).arg(HeldWrites::MaxSettingTries) +
                             QStringLiteral("\n") +
                             HeldSettingLines(result.response->settings->notTaken).join('\n');
        QTimer::singleShot(0, this, [this, text] { showFileError(text); });
    }
    ShowHeldSettings();
    if (Mirror.Held.settingsOfferDue()) {
        QTimer::singleShot(0, this, [this] { OfferHeldSettings(); });
    }
}

void TForm1::OfferHeldSettings() {
    if (offeringSettings_ || !Mirror.Held.settingsOfferDue() || !controllerReady() || closing_) {
        return;
    }
    const QScopedValueRollback<bool> asking(offeringSettings_, true);
    QVector<HeldWrites::Setting> unsent;
    QVector<HeldWrites::Setting> sent;
    for (const HeldWrites::Setting& s : Mirror.Held.settingsIn(HeldWrites::SettingState::Held)) {
        (s.wasSent ? sent : unsent).append(s);
    }
    QStringList text;
    if (!unsent.isEmpty()) {
        text << LangText(HeldHeading) << HeldSettingLines(unsent);
    }
    if (!sent.isEmpty()) {
        text << LangText(SentHeading) << HeldSettingLines(sent);
    }
    text << QString() << LangText(WriteThemQuestion);
    const bool write = askYesNo(text.join('\n'), true);
    if (write) {
        Mirror.Held.writeHeldSettings();
    } else {
        // The controls show the controller's values again.
        Mirror.Held.dropSettings();
        Mirror.requestSettingsRead();
    }
    ShowHeldSettings();
}

bool TForm1::HoldsEdits() const {
    return !Mirror.Held.settings().isEmpty() ||
           (MapEditor != nullptr && MapEditor->unwrittenCells().any());
}

void TForm1::ReadControllerAgain() {
    if (HoldsEdits()) {
        QStringList text{LangText(ReadHeading)};
        text << HeldSummary();
        const int answer =
            AskChoiceBox(text.join('\n'), {LangText(KeepButton), LangText(DiscardButton)}, 0);
        if (answer == 1) {
            Mirror.Held.dropSettings();
            if (MapEditor != nullptr) {
                MapEditor->discardUnwritten();
            }
        } else {
            if (MapEditor != nullptr) {
                MapEditor->keepUnwrittenOnRead();
            }
        }
        ShowHeldSettings();
    }
    Mirror.clearRxHead();
    Mirror.SettingIndex = 0;
    Mirror.IdentityState = 0;
}

QStringList TForm1::HeldSummary() const {
    QStringList lines = HeldSettingLines(Mirror.Held.settings());
    const int cells = MapEditor != nullptr ? int(MapEditor->unwrittenCells().count()) : 0;
    if (cells > 0) {
        lines << QStringLiteral("  ") + LangText(CellsLine).arg(cells);
    }
    return lines;
}

bool TForm1::ConfirmCloseWithEdits() {
    if (!HoldsEdits()) {
        return true;
    }
    QStringList text{LangText(CloseHeading)};
    text << HeldSummary();
    const int answer = AskChoiceBox(
        text.join('\n'), {LangText(SaveButton), LangText(CloseButton), LangText(StayButton)}, 2);
    if (answer == 1) {
        return true;
    }
    if (answer != 0) {
        return false;
    }
    // The user's values as a map file (settings and map together), one in the backups folder
    // and one where the user chooses; closing goes on only when both went well.
    auto edited = std::make_unique<ControllerMirror>(Mirror);
    for (const HeldWrites::Setting& s : Mirror.Held.settings()) {
        if (s.index + 1 < 16) {
            edited->SettingsImage[static_cast<std::size_t>(s.index + 1)] =
                static_cast<std::uint8_t>(s.value);
        }
    }
    const MapBackup::Saved saved = MapBackup::save(*edited, QDateTime::currentDateTime());
    if (!saved.error.isEmpty()) {
        showFileError(
            LangText(841).arg(QDir::toNativeSeparators(MapBackup::folder()), saved.error));
        return false;
    }
    SetStatusText(LangText(SavedLine).arg(QDir::toNativeSeparators(saved.path)));
    int filter = 0;
    const QString path = AskHeldEditsFile ? AskHeldEditsFile()
                                          : askFileName(true, LangText(701), LangText(885),
                                                        QStringLiteral("orvx"), &filter);
    if (path.isEmpty()) {
        return false;
    }
    const QString reason =
        MapFileCommands::saveFormatOf(path, filter) == MapFileCommands::SaveFormat::Csv
            ? (MapFiles->SaveMapCsvFile(path) ? QString() : QStringLiteral("-"))
            : MapFile::saveWhole(path, MapFile::compose(*edited));
    if (reason == QStringLiteral("-")) {
        return false; // said already
    }
    if (!reason.isEmpty()) {
        showFileError(LangText(702) + QStringLiteral("\n") + QDir::toNativeSeparators(path) +
                      QStringLiteral("\n") + reason);
        return false;
    }
    return true;
}

void TForm1::SetDefaultSettings() {
    if (!controllerAnswering()) {
        // Queued now, it would go to whichever controller answers next, unasked and with no
        // backup of that one.
        beep();
        SetStatusText(LangText(725).trimmed());
        return;
    }
    // One Enter must not wipe the settings: No is the default, and a backup comes first.
    if (!askYesNo(LangText(726).trimmed() + QStringLiteral("\n\n") + LangText(DefaultsBackupLine),
                  false)) {
        return;
    }
    QString problem;
    if (SaveControllerBackup(Mirror, &problem)) {
        defaultsBackup_ = lastBackup_;
        for (int k = 0; k < HeldWrites::SettingCount; ++k) {
            defaultsSettings_[static_cast<std::size_t>(k)] = Mirror.Held.shownSetting(k);
        }
    } else if (!askYesNo(problem + QStringLiteral("\n\n") + LangText(843), false)) {
        return;
    }
    // Edits not written would go over the defaults.
    Mirror.Held.dropSettings();
    ShowHeldSettings();
    Mirror.PendingWrites |= PW_DEFAULTS;
    Mirror.clearRxHead();
    Mirror.SettingIndex = 0;
    Mirror.IdentityState = 0;
}

void TForm1::MenuPlikiPrzywrocClick() {
    QString path;
    if (AskBackupToRestore) {
        path = AskBackupToRestore();
    } else {
        const QString folder = MapBackup::folder();
        QFileDialog* dialog = FileDialog(FileFolders::Kind::Maps, false, QStringLiteral("orvx"));
        dialog->setWindowTitle(LangText(RestoreTitle));
        dialog->setNameFilters(LangText(885).split(QLatin1Char('|')).mid(0, 1));
        if (!folder.isEmpty() && QDir(folder).exists()) {
            dialog->setDirectory(folder);
            if (!defaultsBackup_.isEmpty()) {
                dialog->selectFile(defaultsBackup_);
            }
        }
        dialog->setFileMode(QFileDialog::ExistingFile);
        if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
            path = dialog->selectedFiles().first();
        }
    }
    if (!path.isEmpty()) {
        RestoreSettingsFrom(path);
    }
}

bool TForm1::RestoreSettingsFrom(const QString& path) {
    QString error;
    bool notRegular = false;
    const QByteArray bytes = MapFile::readWhole(path, &error, MapFile::FileSize, &notRegular);
    if (notRegular || !error.isEmpty() || MapFile::faultOf(bytes) != MapFile::Fault::None) {
        showFileError(LangText(702) + QStringLiteral("\n") + QDir::toNativeSeparators(path) +
                      QStringLiteral("\n") + (error.isEmpty() ? LangText(NotAMapFile) : error));
        return false;
    }
    if (!controllerReady()) {
        beep(); // the controller's settings must be known to say what changes
        SetStatusText(LangText(725).trimmed());
        return false;
    }
    const auto* image = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const int count = image[0];
    // The settings a map file does not hold (beyond the 15 of its image) come back only from
    // the backup taken before the factory settings in this session.
    const bool session =
        !defaultsBackup_.isEmpty() &&
        QFileInfo(path).canonicalFilePath() == QFileInfo(defaultsBackup_).canonicalFilePath();
    QVector<HeldWrites::Setting> edits;
    for (const int k : HeldMarks->editableSettings()) {
        int value = -1;
        if (k < count && k + 1 < 16) {
            value = image[k + 1];
        } else if (session) {
            value = defaultsSettings_[static_cast<std::size_t>(k)];
        }
        const int now = Mirror.Held.shownSetting(k);
        if (value < 0 || now < 0 || value == now) {
            continue;
        }
        HeldWrites::Setting s;
        s.index = k;
        s.value = value;
        s.controllerValue = now;
        edits << s;
    }
    if (edits.isEmpty()) {
        NoticeBox(LangText(RestoreSame));
        return false;
    }
    QStringList text{LangText(RestoreQuestion).arg(QFileInfo(path).fileName())};
    text << HeldSettingLines(edits);
    if (!askYesNo(text.join('\n'), true)) {
        return false;
    }
    for (const HeldWrites::Setting& s : edits) {
        SettingEdited(s.index, s.value);
    }
    return true;
}
