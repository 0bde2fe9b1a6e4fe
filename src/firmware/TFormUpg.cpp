#include "TFormUpg.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>

namespace {

// The window's picture: a controller board with an arrow bringing the program in.
QPixmap programmingPicture() {
    QPixmap pm(90, 90);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(60, 110, 60));
    p.drawRoundedRect(QRectF(14, 40, 62, 40), 4, 4);
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(32, 50, 26, 20));
    p.setPen(QPen(QColor(200, 170, 60), 2));
    for (int i = 0; i < 5; ++i) {
        p.drawLine(QPointF(20 + i * 12, 80), QPointF(20 + i * 12, 86));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 90, 200));
    const QPointF arrow[] = {{38, 4}, {52, 4}, {52, 20}, {62, 20}, {45, 36}, {28, 20}, {38, 20}};
    p.drawPolygon(arrow, 7);
    return pm;
}

} // namespace

TFormUpg::TFormUpg(QWidget* owner)
    : QWidget(owner,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("FormUpg"));
    setFixedSize(474, 223);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(12, 12, 90, 90);
    Image1->setScaledContents(true);
    Image1->setAttribute(Qt::WA_TranslucentBackground);
    Image1->setPixmap(programmingPicture());

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 112, 450, 40);
    Label1->setAlignment(Qt::AlignCenter);
    QFont f = Label1->font();
    f.setPixelSize(16);
    Label1->setFont(f);

    ProgressBar2 = new QProgressBar(this);
    ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
    ProgressBar2->setGeometry(12, 166, 450, 24);
    ProgressBar2->setTextVisible(false);
}

void TFormUpg::ShowCentred(QWidget* over) {
    if (over != nullptr) {
        const QRect r = over->frameGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
}

void TFormUpg::CloseWindow() {
    closing_ = true;
    close();
    closing_ = false;
}

void TFormUpg::closeEvent(QCloseEvent* event) {
    // Only the programming closes it: a half-done transfer must stay in sight.
    if (closing_) {
        event->accept();
    } else {
        event->ignore();
    }
}
