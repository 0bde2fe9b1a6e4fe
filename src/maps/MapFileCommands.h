#pragma once

#include <QObject>
#include <QString>

class MapGridEditor;
class MapHost;
class QTableWidget;

// Opening and saving maps: the binary map file of the controller's map (toolbar buttons above
// the map grid) and the text file of the two measured-map grids (File menu). Every failure is
// said in a message box and changes nothing; a save never destroys the file it replaces.
class MapFileCommands : public QObject {
    Q_OBJECT
public:
    MapFileCommands(MapHost& host, MapGridEditor& editor, QTableWidget* gridB, QTableWidget* gridG,
                    QObject* parent = nullptr);

    void ToolBtnOpenClick();
    void ToolBtnSaveClick();
    void MenuPikiOtworzClick();
    void MenuPlikiZapiszClick();

    // The same without the dialogs; true when done.
    bool OpenMapFile(const QString& path);
    bool SaveMapFile(const QString& path);
    bool OpenCsvFile(const QString& path);
    bool SaveCsvFile(const QString& path);
    // A file named on the command line: a text map by its ".csv" ending, else a map file.
    bool OpenAnyFile(const QString& path);

private:
    QString cannotOpen(const QString& path, const QString& reason) const;

    MapHost& host_;
    MapGridEditor& editor_;
    QTableWidget* gridB_;
    QTableWidget* gridG_;
};
