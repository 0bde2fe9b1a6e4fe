// What the window adds for the workshop: the link figures in the status bar, the backups of the
// controller's settings and map, and the service report.
#include "TForm1.h"

#include "ControlTag.h"
#include "MapBackup.h"
#include "MapCellValue.h"
#include "MapCells.h"
#include "MapColorRamp.h"
#include "RecordingIndicator.h"
#include "ServiceReport.h"
#include "StatusLine.h"
#include "TChart3D.h"
#include "TFormInfo.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int LinkHealthRefreshMs = 1000;
constexpr const char* Separator = " | ";
} // namespace

void TForm1::CreateServiceTools() {
    LinkHealthText = new QLabel(StatusBar1);
    LinkHealthText->setObjectName(QStringLiteral("LinkHealthText"));
    StatusBar1->addPermanentWidget(LinkHealthText);
    LinkHealthTimer = new QTimer(this);
    LinkHealthTimer->setObjectName(QStringLiteral("LinkHealthTimer"));
    LinkHealthTimer->setInterval(LinkHealthRefreshMs);
    connect(LinkHealthTimer, &QTimer::timeout, this, &TForm1::ShowLinkHealth);
    LinkHealthTimer->start();

    MenuPlikiRaport = new QAction(this);
    MenuPlikiRaport->setObjectName(QStringLiteral("MenuPlikiRaport"));
    MenuPliki->insertAction(PlikiZamknij, MenuPlikiRaport);
    connect(MenuPlikiRaport, &QAction::triggered, this, &TForm1::MenuPlikiRaportClick);
    MenuPomocKopie = new QAction(this);
    MenuPomocKopie->setObjectName(QStringLiteral("MenuPomocKopie"));
    MenuPomoc->insertAction(MenuPomocOProg, MenuPomocKopie);
    connect(MenuPomocKopie, &QAction::triggered, this, &TForm1::MenuPomocKopieClick);

    AskReportToSave = [this] {
        return AskFileName(FileFolders::Kind::Reports, true, LangText(847), LangText(848),
                           QStringLiteral("pdf"));
    };
}

void TForm1::ApplyServiceToolTexts() {
    if (MenuPlikiRaport == nullptr) {
        return;
    }
    MenuPlikiRaport->setText(LangText(846));
    MenuPomocKopie->setText(LangText(844));
    LinkHealthText->setToolTip(LangText(836) + QLatin1Char('\n') + LangText(837) +
                               QLatin1Char('\n') + LangText(838));
    ShowLinkHealth();
}

// ---- link health

QString TForm1::PortCaption() const {
    if (Serial1 == nullptr || !Serial1->SerialConnected()) {
        return {};
    }
    const int port = Serial1->PortNumber();
    if (port >= TMySerial::FtdiPortBase) {
        return Serial1->DeviceName();
    }
    return QStringLiteral("COM%1 %2").arg(port).arg(Serial1->DeviceName());
}

QString TForm1::LinkHealthCaption(const LinkHealth::Figures& f, const QString& port,
                                  const LangSource& lang, PortShown shown) {
    if (!f.portOpen || port.isEmpty()) {
        return lang.LangText(835);
    }
    const QLocale locale;
    QStringList parts;
    if (shown == PortShown::Whole) {
        parts << port;
    } else if (shown == PortShown::Number && port.startsWith(QLatin1String("COM"))) {
        parts << port.section(QLatin1Char(' '), 0, 0);
    }
    parts << lang.LangText(830).arg(locale.toString(f.pollsPerSecond, 'f', 1))
          << lang.LangText(831).arg(f.missed) << lang.LangText(832).arg(f.badFrames);
    if (f.sinceValidMs < 0) {
        parts << lang.LangText(834);
    } else {
        parts << lang.LangText(833).arg(locale.toString(f.sinceValidMs / 1000.0, 'f', 1));
    }
    return parts.join(QLatin1String(Separator));
}

void TForm1::ShowLinkHealth() {
    if (LinkHealthText == nullptr) {
        return;
    }
    // The port is asked about only when it may have changed its name: a cheap look.
    const LinkHealth::Figures f = Mirror.Health.figures(LinkHealth::clockMs());
    const QString port = f.portOpen ? PortCaption() : QString();
    // The figures have a section of their own; the message takes the rest and is cut when it
    // is long. Only in a narrow window do they give way, down to a few words of message: first
    // the device's path goes, then the port (the Port menu still names it). A recording's mark
    // keeps its room too, and so does the note of settings that cannot be saved.
    int statusWidth = statusText_ != nullptr ? statusText_->minimumSizeHint().width() : 0;
    if (RecordingMark != nullptr && !RecordingMark->isHidden()) {
        statusWidth += RecordingMark->sizeHint().width();
    }
    if (SettingsNote != nullptr && !SettingsNote->isHidden()) {
        statusWidth += SettingsNote->sizeHint().width();
    }
    const int room =
        StatusBar1->width() - statusWidth - (StatusBar1->isSizeGripEnabled() ? 40 : 24);
    QString text;
    for (const PortShown shown : {PortShown::Whole, PortShown::Number, PortShown::None}) {
        text = LinkHealthCaption(f, port, Lang, shown);
        if (LinkHealthText->fontMetrics().horizontalAdvance(text) <= room) {
            break;
        }
    }
    if (LinkHealthText->text() != text) {
        LinkHealthText->setText(text);
    }
}

// ---- backups

bool TForm1::SaveControllerBackup(const ControllerMirror& controller, QString* problem) {
    if (MapBackup::missing(controller) != MapBackup::Missing::Nothing) {
        *problem = LangText(842);
        return false;
    }
    const MapBackup::Saved saved = MapBackup::save(controller, QDateTime::currentDateTime());
    if (!saved.error.isEmpty()) {
        *problem = LangText(841).arg(QDir::toNativeSeparators(MapBackup::folder()), saved.error);
        return false;
    }
    SetStatusText(LangText(840).arg(QDir::toNativeSeparators(saved.path)));
    lastBackup_ = saved.path;
    return true;
}

bool TForm1::mapFileAboutToBeWritten(const ControllerMirror& controller) {
    QString problem;
    if (SaveControllerBackup(controller, &problem)) {
        return true;
    }
    return askYesNo(problem + QStringLiteral("\n\n") + LangText(843), false);
}

void TForm1::MenuPomocKopieClick() {
    const QString dir = MapBackup::folder();
    QDir().mkpath(dir);
    if (!OpenUrl(QUrl::fromLocalFile(dir))) {
        NoticeBox(LangText(845).arg(QDir::toNativeSeparators(dir)));
    }
}

// ---- service report

namespace {

QString valueOf(const QLineEdit* edit) {
    return edit->text().trimmed();
}

} // namespace

QList<ServiceReport::Field> TForm1::InfoFields(const QStringList& lines,
                                               const QStringList& headings) {
    QStringList trimmed;
    for (const QString& h : headings) {
        trimmed << h.trimmed();
    }
    QList<ServiceReport::Field> fields;
    for (const QString& line : lines) {
        // The information window's own heading: the report has its own.
        if (fields.isEmpty() && (line.trimmed().isEmpty() || trimmed.contains(line.trimmed()))) {
            continue;
        }
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            fields.append({QString(), line.trimmed()});
            continue;
        }
        // "Name :<tabs>value<tab>notes": the name without its colon, the rest as one value.
        QString name = line.left(tab).trimmed();
        if (name.endsWith(QLatin1Char(':'))) {
            name.chop(1);
        }
        const QStringList rest = line.mid(tab + 1).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        fields.append({name.trimmed(), rest.join(QLatin1Char(' ')).trimmed()});
    }
    while (!fields.isEmpty() && fields.last().name.isEmpty() && fields.last().value.isEmpty()) {
        fields.removeLast();
    }
    return fields;
}

QString TForm1::WriteServiceReport(const QString& path) {
    ServiceReport::Content c;
    c.title = LangText(849);
    // Written the same way in every language.
    c.date = LangText(850).arg(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    c.program = windowTitle();
    c.infoTitle = LangText(851);
    if (FormInfo != nullptr) {
        // The heading is in the language the controller was read in, maybe not this one.
        QStringList headings;
        LanguageTable any;
        for (const int language :
             {LanguagePolish, LanguageGerman, LanguageEnglish, LanguageRussian}) {
            any.Language = language;
            headings << any.LangText(101);
        }
        c.info = InfoFields(FormInfo->Lines(), headings);
    }

    // Every setting the controller reported, as its control shows it.
    c.settingsTitle = LangText(852);
    c.settingsHeader = {LangText(853), LangText(854)};
    auto caption = [](const QLabel* label) { return label->text().trimmed(); };
    const struct {
        const QLabel* name;
        const QLineEdit* value;
        const char* unit;
    } values[] = {{PanelTxt1, EditTPS, "V"}, {PanelTxt2, EditRPM, "1/min"},
                  {PanelTxt3, EditKat, "°"}, {PanelNar, EditNar, ""},
                  {PanelOpa, EditOpa, ""},   {TxtMIN, EditMIN, "V"},
                  {PanelTxt4, EditMAP, "V"}, {PanelTxt5, EditGMP, "°"}};
    for (const auto& v : values) {
        if (!v.value->isHidden() && !valueOf(v.value).isEmpty()) {
            c.settings.append({caption(v.name), valueOf(v.value), QString::fromUtf8(v.unit)});
        }
    }
    const QStringList noYes = LangText(859).split(QLatin1Char('|'));
    for (const QCheckBox* box :
         {CheckBoxPk, CheckBoxOn, CheckBoxRo, CheckBoxBG, CheckBoxKP, CheckBoxTp, CheckBoxZbo}) {
        if (!box->isHidden()) {
            c.settings.append({box->text().remove(QLatin1Char('&')).trimmed(),
                               noYes.value(box->isChecked() ? 1 : 0), QString()});
        }
    }
    for (const TRadioGroup* group :
         {RGKomKor, RGKomRoz, RGWyjKor, RGWyjRoz, RGWejRoz, RGMapa, RGMapSor}) {
        if (!group->isHidden() && group->ItemIndex() >= 0) {
            c.settings.append({group->caption().trimmed(),
                               group->Items().value(group->ItemIndex()).remove(QLatin1Char('&')),
                               QString()});
        }
    }

    // The map as the grid shows it: its axis captions, each cell in its colour.
    c.mapTitle = LangText(300);
    for (int r = 0; r < GridMapa->rowCount() && r <= 16; ++r) {
        QList<ServiceReport::MapCell> row;
        for (int col = 0; col <= 15; ++col) {
            if (r == 0 || col == 0) {
                row.append({Cell(GridMapa, col, r), QColor(230, 230, 230)});
                continue;
            }
            const int v = static_cast<std::int8_t>(
                Mirror.MapTable[static_cast<std::size_t>(MapCells::byteAt(col, r))]);
            row.append({MapCellValue::text(v), mapColorRamp(v + 128)});
        }
        c.map.append(row);
    }
    // The 3-D picture, drawn for the report on a chart of its own: the window's chart keeps
    // its size, view and the angles measured on it.
    TChart3D chart;
    SetUpMapChart(&chart);
    // Each axis name with its unit beside it, on one line.
    for (int axis = 0; axis < 3; ++axis) {
        chart.SetChartText(20 + axis,
                           LangText(304 + axis).replace(QLatin1Char('|'), QLatin1Char(' ')));
    }
    // Printed at about half a page wide: the texts a size larger than on the screen, so the
    // axis numbers stay readable on paper.
    QFont printed = chart.font();
    printed.setPointSizeF(printed.pointSizeF() * 1.5);
    chart.setFont(printed);
    chart.resize(900, 675);
    chart.RefreshChart();
    c.chart = chart.Image();

    c.linkTitle = LangText(856);
    const QString link =
        LinkHealthCaption(Mirror.Health.figures(LinkHealth::clockMs()), PortCaption(), Lang);
    c.linkLines << link << QString();
    for (int id : {836, 837, 838}) {
        c.linkLines << LangText(id).split(QLatin1Char('\n'));
    }
    return ServiceReport::write(path, c);
}

void TForm1::MenuPlikiRaportClick() {
    const QString path = AskReportToSave ? AskReportToSave() : QString();
    if (path.isEmpty()) {
        return;
    }
    const QString problem = WriteServiceReport(path);
    if (!problem.isEmpty()) {
        showFileError(LangText(857).arg(QDir::toNativeSeparators(path), problem));
        return;
    }
    SetStatusText(LangText(858).arg(QDir::toNativeSeparators(path)));
}
