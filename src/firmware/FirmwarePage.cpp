// The update tab: catalogue, selection and the signal picture.
#include "FirmwarePage.h"

#include "ControllerMirror.h"
#include "FirmwareCatalogue.h"
#include "FirmwareHost.h"
#include "FirmwareLabel.h"
#include "SignalPicture.h"
#include "TFormUpg.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>

namespace {
constexpr int PictureHeight = 80;
constexpr int ImageIdRole = Qt::UserRole;
constexpr int InstalledRole = Qt::UserRole + 1;
constexpr int PathRole = Qt::UserRole + 2;
} // namespace

FirmwarePage::FirmwarePage(FirmwareHost& host, const Widgets& widgets, QObject* parent)
    : QObject(parent), host_(host), w_(widgets), formUpg_(std::make_unique<TFormUpg>()) {
    QFont f = w_.TreeView1->font();
    f.setPixelSize(16);
    w_.TreeView1->setFont(f);
    w_.TreeView1->setIndentation(19);
    w_.TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    w_.TreeView1->setExpandsOnDoubleClick(true);
    w_.TreeView1->setProperty("Tag", 0);
    w_.PaintBox1->setFixedHeight(PictureHeight);
    // Model and sensor kind can be longer than the room beside the buttons.
    w_.LabelOpis->setWordWrap(true);
    paintBox_ = w_.PaintBox1;
    paintBox_->installEventFilter(this);

    connect(w_.TreeView1, &QTreeWidget::currentItemChanged, this, [this] { TreeView1Change(); });
    connect(w_.TreeView1, &QTreeWidget::itemClicked, this, [this] { TreeView1Change(); });
    connect(w_.TreeView1, &QTreeWidget::itemDoubleClicked, this, [this] { TreeView1DblClick(); });
    connect(w_.Button1, &QPushButton::clicked, this, &FirmwarePage::Button1Click);

    AskYesNo = [this](const QString& text, const QString& caption) {
        return QMessageBox::question(host_.mainWindow(), caption, text,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    ShowBox = [this](QMessageBox::Icon icon, const QString& text, const QString& caption) {
        // Every box stands over the main window, the engine warning too.
        QMessageBox box(icon, caption, text, QMessageBox::Ok, host_.mainWindow());
        box.exec();
    };
}

FirmwarePage::~FirmwarePage() {
    // The window deletes its widgets before its helpers: the picture box may be gone already.
    if (paintBox_ != nullptr) {
        paintBox_->removeEventFilter(this);
    }
}

void FirmwarePage::BuildFirmwareCatalogue() {
    QTreeWidget* tree = w_.TreeView1;
    const std::uint32_t deviceId = host_.mirror().DeviceId;
    tree->clear();
    tree->setProperty("Tag", static_cast<qulonglong>(deviceId));
    const CatalogueModel* model = FirmwareCatalogue::ForDevice(deviceId);
    if (model == nullptr) {
        tree->setProperty("Tag", 0);
        return;
    }
    w_.LabelOpis->setText(QString::fromLatin1(model->modelLabel) +
                          host_.langText(model->descriptionTextId));
    w_.LabelOpis->show();

    const bool service = host_.serviceMode();
    for (const CatalogueGroup& g : model->groups) {
        auto* group = new QTreeWidgetItem(tree);
        group->setText(0, g.literal != nullptr ? QString::fromLatin1(g.literal)
                                               : host_.langText(g.textId));
        for (const CatalogueVersion& v : FirmwareCatalogue::Versions(g.signalCode, service)) {
            auto* item = new QTreeWidgetItem(group);
            item->setText(0, v.label + (v.textId != 0 ? host_.langText(v.textId) : QString()));
            item->setData(0, ImageIdRole, v.imageId);
            // An image that is not installed cannot be written: greyed, with a note.
            const FirmwareFiles::Loaded image = FirmwareFiles::Load(v.imageId);
            const bool installed = image.status == FirmwareFiles::Loaded::Ok;
            item->setData(0, InstalledRole, installed);
            item->setData(0, PathRole, image.path);
            if (!installed) {
                item->setForeground(0, QBrush(QColor(128, 128, 128)));
                item->setText(0, item->text(0) + host_.langText(760));
                item->setToolTip(0, imageProblem(image));
            }
        }
    }
    tree->expandAll(); // the versions are what the user picks
}

void FirmwarePage::Retranslate() {
    QTreeWidget* tree = w_.TreeView1;
    const CatalogueModel* model = FirmwareCatalogue::ForDevice(tree->property("Tag").toUInt());
    if (model == nullptr || tree->topLevelItemCount() != model->groups.size()) {
        return;
    }
    w_.LabelOpis->setText(QString::fromLatin1(model->modelLabel) +
                          host_.langText(model->descriptionTextId));
    for (int g = 0; g < model->groups.size(); ++g) {
        const CatalogueGroup& group = model->groups[g];
        QTreeWidgetItem* node = tree->topLevelItem(g);
        node->setText(0, group.literal != nullptr ? QString::fromLatin1(group.literal)
                                                  : host_.langText(group.textId));
        const QList<CatalogueVersion> versions =
            FirmwareCatalogue::Versions(group.signalCode, node->childCount() > 3);
        for (int c = 0; c < node->childCount() && c < versions.size(); ++c) {
            QTreeWidgetItem* item = node->child(c);
            const CatalogueVersion& v = versions[c];
            QString text = v.label + (v.textId != 0 ? host_.langText(v.textId) : QString());
            if (!imageInstalled(item)) {
                text += host_.langText(760);
                item->setToolTip(0, imageProblem(FirmwareFiles::Load(v.imageId)));
            }
            item->setText(0, text);
        }
    }
    if (!tree->isHidden()) {
        TreeView1Change(); // the status text
    }
}

bool FirmwarePage::imageInstalled(const QTreeWidgetItem* item) const {
    return item != nullptr && item->data(0, InstalledRole).toBool();
}

QString FirmwarePage::imageProblem(const FirmwareFiles::Loaded& loaded) const {
    switch (loaded.status) {
    case FirmwareFiles::Loaded::Ok:
        return {};
    case FirmwareFiles::Loaded::Missing:
        return host_.langText(762).arg(loaded.path,
                                       FirmwareFiles::Folders().join(QStringLiteral("\n")));
    case FirmwareFiles::Loaded::WrongSize:
        return host_.langText(763).arg(loaded.path).arg(loaded.size).arg(FirmwareFiles::ImageBytes);
    case FirmwareFiles::Loaded::Unreadable:
        return host_.langText(764).arg(loaded.path);
    }
    return {};
}

void FirmwarePage::TreeView1Change() {
    QTreeWidgetItem* item = w_.TreeView1->currentItem();
    if (item == nullptr) {
        w_.PaintBox1->hide();
        w_.Button1->setEnabled(false);
        host_.setStatusText(host_.langText(730));
        return;
    }
    ShowSignalPicture();
    if (item->childCount() > 0) {
        w_.Button1->setEnabled(false);
        host_.setStatusText(host_.langText(730));
    } else if (!imageInstalled(item)) {
        w_.Button1->setEnabled(false);
        host_.setStatusText(host_.langText(761));
    } else {
        w_.Button1->setEnabled(!running_);
        host_.setStatusText(host_.langText(731));
    }
}

void FirmwarePage::ShowSignalPicture() {
    QTreeWidgetItem* item = w_.TreeView1->currentItem();
    if (item == nullptr) {
        return;
    }
    if (item->childCount() > 0) {
        item = item->child(0);
    }
    pictureCode_ = SignalCodeFromLabel(item->text(0));
    w_.PaintBox1->show();
    w_.PaintBox1->update();
}

void FirmwarePage::PaintBox1DblClick() {
    PictureZoom = PictureZoom < 2 ? 2 : 1;
    if (!w_.PaintBox1->isHidden()) {
        w_.PaintBox1->update();
    }
}

void FirmwarePage::paintPicture() {
    if (PictureZoom == 0) {
        PictureZoom = 1;
    }
    QPainter p(w_.PaintBox1);
    p.drawImage(0, 0,
                SignalPictureImage(pictureCode_, w_.PaintBox1->width(), w_.PaintBox1->height(),
                                   PictureZoom));
}

bool FirmwarePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == w_.PaintBox1) {
        if (event->type() == QEvent::Paint && w_.PaintBox1->isVisible()) {
            paintPicture();
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            PaintBox1DblClick();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
