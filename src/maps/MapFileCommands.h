#pragma once

#include "CsvMapFile.h"
#include "MapGridEditor.h"

#include <QObject>
#include <QString>

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

    // The same without the dialogs; true when done. A map file (or a csv map: by its ".csv"
    // ending, or a text where a map file has its marker) opened while the controller's map is
    // known asks first (cells that differ, the largest change, another DeviceId, a short or
    // longer file; No is the default for those three): Yes backs up and writes it whole, No
    // only shows it in the grid. Before the controller's map is known (a file named on the
    // command line) it is shown as not written and asked about once the controller's
    // identity, settings and map have been read.
    bool OpenMapFile(const QString& path);
    bool SaveMapFile(const QString& path);
    // The controller's map as a text map: the header line and its 16 rows of 15 cells as the
    // grid shows them, in the layout of the measured-map text file (first block only).
    bool SaveMapCsvFile(const QString& path);
    bool OpenCsvFile(const QString& path);
    bool SaveCsvFile(const QString& path);
    // A file named on the command line: by its ".csv" ending a text file, which is a csv map
    // (opened as Open map opens it) or the measured maps (into their grids); else a map file.
    bool OpenAnyFile(const QString& path);

    // What a map save writes: the format the file's extension names, else the one of the
    // dialog's chosen filter (0 the map file, 1 the csv map, 2 all files: the map file).
    enum class SaveFormat { Binary, Csv };
    static SaveFormat saveFormatOf(const QString& path, int filterIndex);

private:
    QString cannotOpen(const QString& path, const QString& reason) const;
    // Reads and parses a text map file; false (and the user told why) when it cannot be read
    // or a field is no number.
    bool readCsv(const QString& path, CsvMapFile::Parsed& parsed);
    bool openCsvMap(const QString& path);
    // A file's map (`cells` of it from the file, the others the controller's) offered for
    // writing, or shown as not written until the controller's map is known.
    bool offerMap(const MapGridEditor::MapBytes& fileMap, const QString& name,
                  const MapGridEditor::CellMask& cells, std::uint32_t fileDevice, int fileBytes);

    MapHost& host_;
    MapGridEditor& editor_;
    QTableWidget* gridB_;
    QTableWidget* gridG_;
};
