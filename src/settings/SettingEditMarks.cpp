#include "SettingEditMarks.h"

#include "ControlTag.h"
#include "GeneralText.h"
#include "LeftPanelControls.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>

namespace {

constexpr int NotWrittenTip = 960; // "Not written to the controller; it holds: %1"
constexpr int NotKnownValue = 961; // "not known"
constexpr int OnText = 962;        // "on"
constexpr int OffText = 963;       // "off"
constexpr int SettingNumber = 964; // "Setting %1"

// The corner mark: an orange triangle over the top left corner of a control.
class CornerMark : public QWidget {
public:
    explicit CornerMark(QWidget* control) : QWidget(control) {
        setObjectName(QStringLiteral("NotWrittenMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(0, 0, 9, 9);
        raise();
        show();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x80, 0x40, 0x00), 1));
        p.setBrush(QColor(0xFF, 0x8C, 0x00));
        p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(8, 0), QPoint(0, 8)}));
    }
};

QString scaled(int value, double scale, const char* unit) {
    return GeneralText(value * scale) + QLatin1String(unit);
}

} // namespace

SettingEditMarks::SettingEditMarks(LeftPanelControls& controls, std::function<QString(int)> text)
    : c_(controls), text_(std::move(text)) {}

QList<QWidget*> SettingEditMarks::controlsOf(int index) const {
    QList<QWidget*> out;
    for (QWidget* w : c_.taggedControls()) {
        const bool editable = qobject_cast<QCheckBox*>(w) != nullptr ||
                              qobject_cast<TUpDown*>(w) != nullptr ||
                              qobject_cast<TRadioGroup*>(w) != nullptr;
        if (editable && ControlTag::setting(ControlTag::of(w)) == index) {
            out << w;
        }
    }
    // The arrows' value box is what the user looks at.
    const std::pair<TUpDown*, QWidget*> boxes[] = {
        {c_.UpDownTPS, c_.EditTPS}, {c_.UpDownRPM, c_.EditRPM}, {c_.UpDownKat, c_.EditKat},
        {c_.UpDownNar, c_.EditNar}, {c_.UpDownOpa, c_.EditOpa}, {c_.UpDownMIN, c_.EditMIN},
        {c_.UpDownMAP, c_.EditMAP}, {c_.UpDownGMP, c_.EditGMP},
    };
    for (const auto& [arrows, box] : boxes) {
        if (out.contains(static_cast<QWidget*>(arrows))) {
            out << box;
        }
    }
    return out;
}

QVector<int> SettingEditMarks::editableSettings() const {
    QVector<int> out;
    for (int k = 1; k < HeldWrites::SettingCount; ++k) {
        if (!controlsOf(k).isEmpty()) {
            out << k;
        }
    }
    return out;
}

void SettingEditMarks::show(const QVector<HeldWrites::Setting>& edits) {
    for (const QPointer<QWidget>& m : marks_) {
        delete m.data();
    }
    marks_.clear();
    for (const QPointer<QWidget>& w : marked_) {
        if (w != nullptr) {
            w->setToolTip(w->property("plainToolTip").toString());
        }
    }
    marked_.clear();
    for (const HeldWrites::Setting& e : edits) {
        const QString held =
            e.controllerValue < 0 ? text_(NotKnownValue) : valueText(e.index, e.controllerValue);
        for (QWidget* w : controlsOf(e.index)) {
            if (!w->property("plainToolTip").isValid()) {
                w->setProperty("plainToolTip", w->toolTip());
            }
            const QString plain = w->property("plainToolTip").toString();
            w->setToolTip((plain.isEmpty() ? QString() : plain + QStringLiteral("\n")) +
                          text_(NotWrittenTip).arg(held));
            marked_ << w;
            marks_ << new CornerMark(w);
        }
    }
}

QString SettingEditMarks::caption(int index) const {
    const auto trimmed = [](const QString& s) { return s.trimmed(); };
    switch (index) {
    case 2:
        return c_.CheckBoxTp->text();
    case 3:
        return trimmed(c_.PanelTxt3->caption());
    case 4:
        return trimmed(c_.PanelTxt1->caption());
    case 5:
        return trimmed(c_.PanelTxt2->caption());
    case 6:
        return trimmed(c_.PanelTxt5->caption());
    case 7:
        return trimmed(c_.RGKomKor->caption());
    case 8:
        return trimmed(c_.RGKomRoz->caption());
    case 9:
        return trimmed(c_.RGWyjKor->caption());
    case 10:
        return trimmed(c_.RGWyjRoz->caption());
    case 12:
        return trimmed(c_.RGWejRoz->caption());
    case 13:
        return trimmed(c_.RGMapa->caption());
    case 15:
        return trimmed(c_.PanelNar->caption());
    case 16:
        return trimmed(c_.PanelOpa->caption());
    case 17:
        return trimmed(c_.TxtMIN->caption());
    case 18:
        return trimmed(c_.PanelTxt4->caption());
    default:
        return text_(SettingNumber).arg(index);
    }
}

QString SettingEditMarks::valueText(int index, int value) const {
    const auto item = [](const TRadioGroup* g, int i) {
        const QStringList items = g->Items();
        return i >= 0 && i < items.size() ? items.at(i).trimmed() : QString::number(i);
    };
    const int v = value & 0xFF;
    switch (index) {
    case 1:
    case 2:
        return text_((v & 1) != 0 ? OnText : OffText);
    case 3:
        return scaled(static_cast<std::int8_t>(v), 0.2, "°");
    case 4:
        // The inverted throttle threshold reads from the other end, as its box shows it.
        return scaled(c_.CheckBoxTp->isChecked() ? 255 - v : v, 0.02, " V");
    case 17:
    case 18:
        return scaled(v, 0.02, " V");
    case 5:
        return QString::number(v * 25);
    case 7:
        return item(c_.RGKomKor, v);
    case 8:
        return item(c_.RGKomRoz, v);
    case 9:
        return item(c_.RGWyjKor, v);
    case 10:
        return item(c_.RGWyjRoz, v);
    case 12:
        return item(c_.RGWejRoz, v);
    case 13:
        if ((v & 7) == 1 || (v & 7) == 2) {
            return item(c_.RGMapa, 2) + QStringLiteral(" (") + item(c_.RGMapSor, (v & 7) - 1) +
                   QLatin1Char(')');
        }
        return item(c_.RGMapa, (v & 7) == 3 ? 1 : 0);
    default:
        return QString::number(v);
    }
}

QStringList SettingEditMarks::describe(const HeldWrites::Setting& e) const {
    const QString arrow = QStringLiteral(" \u2192 ");
    if (e.index != 1) {
        const QString before =
            e.controllerValue < 0 ? text_(NotKnownValue) : valueText(e.index, e.controllerValue);
        return {caption(e.index) + QStringLiteral(": ") + before + arrow +
                valueText(e.index, e.value)};
    }
    // The bit options: a line for each box that changes.
    QStringList lines;
    const QList<QCheckBox*> boxes = c_.bitCheckBoxes();
    for (int bit = 0; bit < boxes.size(); ++bit) {
        const int now = e.value >> bit & 1;
        const int before = e.controllerValue < 0 ? -1 : e.controllerValue >> bit & 1;
        if (before == now) {
            continue;
        }
        lines << boxes.at(bit)->text() + QStringLiteral(": ") +
                     (before < 0 ? text_(NotKnownValue) : valueText(1, before)) + arrow +
                     valueText(1, now);
    }
    return lines;
}

void SettingEditMarks::showUserValue(int index, int value) {
    const int v = value & 0xFF;
    QLineEdit* box = nullptr;
    QString text;
    switch (index) {
    case 4:
        box = c_.EditTPS;
        text = GeneralText((c_.CheckBoxTp->isChecked() ? 255 - v : v) * 0.02);
        break;
    case 6:
        box = c_.EditGMP;
        text = QString::number(v);
        break;
    case 15:
    case 16:
        box = index == 15 ? c_.EditNar : c_.EditOpa;
        text = QString::number(v);
        break;
    case 17:
    case 18:
        box = index == 17 ? c_.EditMIN : c_.EditMAP;
        text = GeneralText(v * 0.02);
        break;
    default:
        return; // the other controls show their value themselves
    }
    box->setText(text);
}
