#pragma once

#include <QObject>
#include <QVector>

class MapGridEditor;
class MapHost;
class QAction;
class QDoubleSpinBox;
class QLabel;
class QMenu;
class QSpinBox;
class QToolBar;

// The map tools on the map toolbar and in the grid's context menu: undo and redo, set, add,
// subtract, scale, interpolate, smooth, copy and paste as tab-separated text, and writing a
// map file that is only shown. Each works on the grid's selection through the grid editor.
class MapToolBar : public QObject {
    Q_OBJECT
public:
    MapToolBar(MapHost& host, MapGridEditor& editor, QToolBar* toolBar, QObject* parent = nullptr);

    // Captions and tooltips in the window's language.
    void setTexts();
    QMenu* menu() const { return menu_; }

    void setSelection(double degrees);
    void addToSelection(double degrees);
    void scaleSelection(int percent);
    void interpolateSelection(int direction); // MapTools::Direction
    void smoothSelection();
    void copySelection();
    // Pastes tab-separated text at the selection's top left; says in the status bar what was
    // held at the limits or left out.
    void pasteText(const QString& text);

    QAction* UndoAction = nullptr;
    QAction* RedoAction = nullptr;
    QAction* SetAction = nullptr;
    QAction* AddAction = nullptr;
    QAction* SubtractAction = nullptr;
    QAction* ScaleAction = nullptr;
    QAction* RowsAction = nullptr;
    QAction* ColumnsAction = nullptr;
    QAction* CornersAction = nullptr;
    QAction* SmoothAction = nullptr;
    QAction* CopyAction = nullptr;
    QAction* PasteAction = nullptr;
    QAction* WriteAction = nullptr;
    QDoubleSpinBox* ValueBox = nullptr;
    QSpinBox* PercentBox = nullptr;
    QLabel* FileNotice = nullptr;

private:
    bool ready();
    void applied(int changed);
    void updateState();

    MapHost& host_;
    MapGridEditor& editor_;
    QMenu* menu_ = nullptr;
    QAction* fileNoticeAction_ = nullptr;
};
