// The two tabs of the window: parameters (0) and firmware update (2).
#include "TForm1.h"

#include <algorithm>

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

void TForm1::ZakladkaParamClick(QToolButton* sender) {
    sender->setChecked(true);
    ShowTab(sender->property("Tag").toInt());
}

void TForm1::ShowTab(int tab) {
    Button1->setProperty("Tag", tab);
    LabelOpis->hide();
    PaintBox1->hide();
    if (tab == 0) {
        PanelLeft->show();
        PanelRight->hide();
        SplitterRight->hide();
        Button1->show();
        Button1->setEnabled(true);
        Button1->setText(LangText(131));
        Button1->setToolTip(LangText(548));
        Button2->show();
        Button2->setText(LangText(549));
        Button2->setToolTip(LangText(550));
        TreeView1->hide();
        if (chartPanelShown_) {
            ShowChartPanel(true); // the chart comes back with its tab
        }
        SetStatusText(QString());
    } else if (tab == 2) {
        PanelLeft->hide();
        SplitterLeft->hide();
        Panel2->hide(); // the chart belongs to the parameters tab
        PanelRight->hide();
        SplitterRight->hide();
        Button1->show();
        Button1->setEnabled(false); // enabled once a firmware version is chosen
        Button1->setText(LangText(138));
        Button2->hide();
        if (BuildFirmwareCatalogueHandler) {
            BuildFirmwareCatalogueHandler();
        }
        TreeView1->show();
        SetStatusText(LangText(730));
    }
}

void TForm1::SetPanelLeftWidth(int width) {
    panelLeftWidth_ = width;
    panelLeftShare_ = static_cast<double>(width) / std::max(1, this->width());
    if (panelLeftFills_) {
        return; // filling the client area, the width follows the window
    }
    PanelLeft->setFixedWidth(width);
}

void TForm1::SetPanelLeftFills(bool fills) {
    panelLeftFills_ = fills;
    if (fills) {
        PanelLeft->setMinimumWidth(0);
        PanelLeft->setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        PanelLeft->setFixedWidth(panelLeftWidth_);
    }
    bodyLayout_->setStretchFactor(PanelLeft, fills ? 1 : 0);
}
