#include "TFormAboud.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>

namespace {

QLabel* linkLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(p);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

TFormAboud::TFormAboud(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint) {
    setObjectName("FormAboud");
    setAttribute(Qt::WA_QuitOnClose, false);
    setModal(true);
    setFixedSize(388, 174);

    auto* panel = new QWidget(this);
    panel->setObjectName("Panel1");
    panel->setGeometry(0, 0, 388, 134);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);

    Image1 = new QLabel(panel);
    Image1->setObjectName("Image1");
    Image1->setGeometry(8, 8, 205, 74);

    LabelLogNazwa = new QLabel(QStringLiteral("Merka Sp. z o.o."), panel);
    LabelLogNazwa->setObjectName("LabelLogNazwa");
    LabelLogNazwa->setGeometry(224, 10, 160, 18);
    QFont bold = LabelLogNazwa->font();
    bold.setBold(true);
    LabelLogNazwa->setFont(bold);

    LabelLogAdres = new QLabel(QStringLiteral("ul. Warsztatowa 12\n00-950 Warszawa"), panel);
    LabelLogAdres->setObjectName("LabelLogAdres");
    LabelLogAdres->setGeometry(224, 30, 160, 34);

    LabelLogWww = linkLabel(panel, "LabelLogWww", QStringLiteral("www.example.com"));
    LabelLogWww->setGeometry(224, 66, 160, 18);
    LabelLogEma = linkLabel(panel, "LabelLogEma", QString::fromLatin1(EmailAddress));
    LabelLogEma->setGeometry(224, 86, 160, 18);
    LabelLogWww->installEventFilter(this);
    LabelLogEma->installEventFilter(this);

    Label4 = new QLabel(panel);
    Label4->setObjectName("Label4");
    Label4->setGeometry(8, 104, 372, 20);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(154, 142, 80, 26);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TFormAboud::Button1Click);
}

void TFormAboud::Button1Click() {
    accept();
}

void TFormAboud::LabelLogWwwClick() {
    if (UrlOpener) {
        UrlOpener(QUrl(QString::fromLatin1(WebAddress)));
    }
}

void TFormAboud::LabelLogEmaClick() {
    QUrl url(QStringLiteral("mailto:") + QString::fromLatin1(EmailAddress));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("temat"));
    url.setQuery(query);
    if (UrlOpener) {
        UrlOpener(url);
    }
}

bool TFormAboud::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == LabelLogWww) {
            LabelLogWwwClick();
            return true;
        }
        if (watched == LabelLogEma) {
            LabelLogEmaClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
