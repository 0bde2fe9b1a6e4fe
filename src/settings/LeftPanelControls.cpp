#include "LeftPanelControls.h"

#include "ControlTag.h"
#include "SwitchIndicator.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

template <class T> T* named(T* w, const char* name, std::uint32_t tag, QList<QWidget*>& tagged) {
    w->setObjectName(QString::fromLatin1(name));
    if (tag != 0) {
        ControlTag::set(w, tag);
        tagged.append(w);
    }
    return w;
}

QLabel* caption(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(left, top);
    l->adjustSize();
    return l;
}

} // namespace

void LeftPanelControls::createLeftPanelControls(const LeftPanelContainers& c) {
    tagged_.clear();
    // A state panel (caption centred) or a value label (text after a leading space, left).
    auto panel = [this](QWidget* parent, const char* name, std::uint32_t tag, const QString& text,
                        bool valueLabel = false) {
        auto* p = named(new TPanel(parent), name, tag, tagged_);
        p->setCaption(text);
        if (valueLabel) {
            p->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        // Without a caption the panel shows values of the controller, whose length changes.
        p->setProperty("liveValue", text.isEmpty());
        return p;
    };
    auto check = [this](QWidget* parent, const char* name, std::uint32_t tag, const QString& text) {
        auto* b = named(new QCheckBox(text, parent), name, tag, tagged_);
        b->setAutoFillBackground(true);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        return b;
    };
    auto edit = [this](QWidget* parent, const char* name, std::uint32_t tag) {
        auto* e = named(new QLineEdit(parent), name, tag, tagged_);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        e->setMinimumSize(0, 0);
        return e;
    };
    auto arrows = [this](QWidget* parent, const char* name, std::uint32_t tag, int min, int max,
                         int position) {
        auto* u = named(new TUpDown(parent), name, tag, tagged_);
        u->setMin(min);
        u->setMax(max);
        u->setPosition(position);
        return u;
    };
    auto group = [this](QWidget* parent, const char* name, std::uint32_t tag, const QString& text,
                        const QStringList& items) {
        auto* g = named(new TRadioGroup(parent), name, tag, tagged_);
        g->setCaption(text);
        g->setColumns(static_cast<int>(items.size()));
        g->setItems(items);
        return g;
    };

    QWidget* n = c.PanelNas1;
    PanelSta = panel(n, "PanelSta", 0x00150000, QStringLiteral("Status"));
    LabelSta = panel(n, "LabelSta", 0x10151000, QString(), true);
    PanelPrz = panel(n, "PanelPrz", 0x20151000, QStringLiteral("Przełącznik"));
    PanelSw = panel(n, "PanelSw", 0x30150000, QString());
    CheckBoxPk = check(n, "CheckBoxPk", 0x40150001, QStringLiteral("Przekaźnik"));
    PanelImp = panel(n, "PanelImp", 0x01150000, QStringLiteral("Impulsy"));
    LabelImp = panel(n, "LabelImp", 0x11150000, QString(), true);
    CheckBoxOn = check(n, "CheckBoxOn", 0x21150001, QStringLiteral("Przesuwanie impulsów"));
    CheckBoxRo = check(n, "CheckBoxRo", 0x41150001, QStringLiteral("Przesuwanie imp. rozrządu"));
    PanelGAZ = panel(n, "PanelGAZ", 0x02150000, QStringLiteral("Paliwo"));
    LabelGaz = panel(n, "LabelGaz", 0x12150000, QString(), true);
    CheckBoxKP = check(n, "CheckBoxKP", 0x22150001, QStringLiteral("Kontrola podłączenia"));
    CheckBoxBG = check(n, "CheckBoxBG", 0x42150001, QStringLiteral("Zmiana paliwa"));
    PanelPwr = panel(n, "PanelPwr", 0x03150000, QStringLiteral("Zasilanie"));
    LabelPwr = panel(n, "LabelPwr", 0x13150000, QString(), true);
    CheckBoxTp = check(n, "CheckBoxTp", 0x23150002, QStringLiteral("TPS odwrócony"));
    PanelTPS = panel(n, "PanelTPS", 0x04150000, QStringLiteral("TPS"));
    LabelTps = panel(n, "LabelTps", 0x14150000, QString(), true);
    EditTPS = edit(n, "EditTPS", 0x24150000);
    UpDownTPS = arrows(n, "UpDownTPS", 0x24150004, 0, 255, 0);
    PanelTxt1 = panel(n, "PanelTxt1", 0x34151000, QStringLiteral(" Próg TPS"), true);
    PanelRPM = panel(n, "PanelRPM", 0x05150000, QStringLiteral("Obroty"));
    LabelRpm = panel(n, "LabelRpm", 0x15154000, QString(), true);
    EditRPM = edit(n, "EditRPM", 0x25150000);
    UpDownRPM = arrows(n, "UpDownRPM", 0x25150005, 0, 255, 0);
    PanelTxt2 = panel(n, "PanelTxt2", 0x35151000, QStringLiteral(" Próg obrotów"), true);
    EditNar = edit(n, "EditNar", 0x45150000);
    UpDownNar = arrows(n, "UpDownNar", 0x4515000F, 1, 255, 1);
    PanelNar = panel(n, "PanelNar", 0x55151000, QStringLiteral(" Narastanie"), true);
    PanelKAT = panel(n, "PanelKAT", 0x06150000, QStringLiteral("Kąt"));
    LabelKat = panel(n, "LabelKat", 0x16150000, QString(), true);
    EditKat = edit(n, "EditKat", 0x26150000);
    // The set angle may go negative only while the ignition map is in use.
    UpDownKat = arrows(n, "UpDownKat", 0x26150003, 0, 127, 0);
    PanelTxt3 = panel(n, "PanelTxt3", 0x36151000, QStringLiteral(" Zadany kąt"), true);
    EditOpa = edit(n, "EditOpa", 0x46150000);
    UpDownOpa = arrows(n, "UpDownOpa", 0x46150010, 1, 255, 1);
    PanelOpa = panel(n, "PanelOpa", 0x56151000, QStringLiteral(" Opadanie"), true);
    PanelPot = panel(n, "PanelPot", 0x07151000, QStringLiteral("Potencjometr"));
    LabelPot = panel(n, "LabelPot", 0x17150000, QString(), true);
    PanelMAP = panel(n, "PanelMAP", 0x08151000, QStringLiteral("MAP"));
    LabelMap = panel(n, "LabelMap", 0x18150000, QString(), true);
    PanelRes = panel(n, "PanelRes", 0x09151000, QStringLiteral("Reset"));
    LabelRes = panel(n, "LabelRes", 0x19150000, QString(), true);
    OpisSygaly = caption(n, "OpisSygaly", QStringLiteral("Sygnały :"), 4, 2);
    OpisNastawy = caption(n, "OpisNastawy", QStringLiteral("Nastawy :"), 4, 2);

    PaintBox2 = new SwitchIndicator(PanelSw);
    PaintBox2->setObjectName(QStringLiteral("PaintBox2"));
    auto* swLayout = new QVBoxLayout(PanelSw);
    swLayout->setContentsMargins(0, 0, 0, 0);
    swLayout->addWidget(PaintBox2);
    PanelSw->setToolTip(QStringLiteral("Konfiguracja wariatora z przełączników"));

    QWidget* z = c.PanelCzuj;
    PanelSyg = panel(z, "PanelSyg", 0x00150000, QStringLiteral("Sygnał"));
    LabelSyg = panel(z, "LabelSyg", 0x10150000, QString(), true);
    RGWyjKor = group(z, "RGWyjKor", 0x20150009, QStringLiteral(" Polaryzacja wyjścia "),
                     {QStringLiteral("NIE"), QStringLiteral("5V")});
    PanelPrzeb = panel(z, "PanelPrzeb", 0x20150000, QString());
    RGKomKor = group(z, "RGKomKor", 0x40150007, QStringLiteral(" Próg sygnału wej. [V] "),
                     {"0.6", "2.5", "4.4", "3.4"});
    PanelRoz = panel(z, "PanelRoz", 0x02150000, QStringLiteral("Sygnał"));
    LabelRoz = panel(z, "LabelRoz", 0x12150000, QString(), true);
    RGWyjRoz =
        group(z, "RGWyjRoz", 0x2215000A, QStringLiteral(" Napięcie wyjściowe [V] "), {"5", "12"});
    RGKomRoz = group(z, "RGKomRoz", 0x42150008, QStringLiteral(" Próg sygnału wej. [V] "),
                     {"0.6", "2.5", "4.4", "3.4"});
    RGWejRoz =
        group(z, "RGWejRoz", 0x6215000C, QStringLiteral(" Polaryzacja wejścia [V] "), {"0", "5"});
    OpisKor = caption(z, "OpisKor", QStringLiteral("Czujnik położenia wału korbowego"), 4, 2);
    OpisRoz = caption(z, "OpisRoz", QStringLiteral("Czujnik położenia wałka rozrządu"), 4, 46);

    QWidget* m = c.PanelMapyTop;
    RGMapa = group(m, "RGMapa", 0x0015000D, QStringLiteral(" Mapa "),
                   {QStringLiteral("wył."), QStringLiteral("2D"), QStringLiteral("3D")});
    RGMapSor = group(m, "RGMapSor", 0x2015000D, QStringLiteral(" Źródło sygnału "), {"MAP", "TPS"});
    PanelObc = panel(m, "PanelObc", 0x01170000, QStringLiteral("Obciążenie"));
    LabelObc = panel(m, "LabelObc", 0x11170000, QString(), true);
    EditMIN = edit(m, "EditMIN", 0x21170000);
    UpDownMIN = arrows(m, "UpDownMIN", 0x21170011, 0, 255, 128);
    TxtMIN = panel(m, "TxtMIN", 0x31171000, QStringLiteral(" Min. sygnał"), true);
    EditMAP = edit(m, "EditMAP", 0x41170000);
    UpDownMAP = arrows(m, "UpDownMAP", 0x41170012, 0, 255, 128);
    PanelTxt4 = panel(m, "PanelTxt4", 0x51171000, QStringLiteral(" Max. sygnał"), true);
    Label14 = caption(m, "Label14", QStringLiteral("Mapa korekty zapłonu"), 4, 2);

    QWidget* o = c.PanelInne;
    PanelZap = panel(o, "PanelZap", 0x02170000, QStringLiteral("Zapłon"));
    LabelZap = panel(o, "LabelZap", 0x12170000, QString(), true);
    EditGMP = edit(o, "EditGMP", 0x22170000);
    UpDownGMP = arrows(o, "UpDownGMP", 0x22170006, 0, 255, 0);
    PanelTxt5 = panel(o, "PanelTxt5", 0x32171000, QStringLiteral(" Kąt imp./GMP"), true);
    CheckBoxZbo =
        check(o, "CheckBoxZbo", 0x42170001, QStringLiteral("Opadające zbocze imp. cewki"));

    CheckBoxRo->setToolTip(QStringLiteral("Aby zastosować wyłącz silnik!"));
    CheckBoxKP->setToolTip(QStringLiteral("Aby zastosować wyłącz silnik!"));

    // Designed visibility: the speed threshold is kept but not shown; the rise/fall times and
    // the map source appear when the controller offers them; the service extras in service mode.
    for (QWidget* w : std::initializer_list<QWidget*>{
             EditRPM, UpDownRPM, EditNar, UpDownNar, PanelNar, EditOpa, UpDownOpa, PanelOpa,
             RGMapSor, PanelRes, LabelRes, PanelZap, LabelZap, EditGMP, UpDownGMP, PanelTxt5,
             CheckBoxZbo}) {
        w->hide();
    }
    // The crank-wheel mark sits in the output-polarity cell; keep it above the group.
    PanelPrzeb->raise();
    PanelPrzeb->hide();
}

QList<QCheckBox*> LeftPanelControls::bitCheckBoxes() const {
    return {CheckBoxPk, CheckBoxOn, CheckBoxRo, CheckBoxBG, CheckBoxZbo, CheckBoxKP};
}

QList<TUpDown*> LeftPanelControls::arrowControls() const {
    return {UpDownTPS, UpDownRPM, UpDownKat, UpDownNar, UpDownOpa, UpDownMAP, UpDownMIN, UpDownGMP};
}

QList<TRadioGroup*> LeftPanelControls::inputOutputGroups() const {
    return {RGWyjKor, RGKomKor, RGWyjRoz, RGKomRoz, RGWejRoz};
}
