#include "MapFileCommands.h"

#include "ControllerMirror.h"
#include "CsvMapFile.h"
#include "GeneralText.h"
#include "GridCell.h"
#include "MapCellValue.h"
#include "MapCells.h"
#include "MapFile.h"
#include "MapGridEditor.h"
#include "MapHost.h"
#include "PendingWrites.h"
#include "TChart3D.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTableWidget>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace {

// The map file, the csv map and all files, in the window's language: for opening and saving.
constexpr int MapFilterText = 885;

CsvMapFile::Block rowsOf(const QTableWidget* grid) {
    CsvMapFile::Block block;
    for (int r = 1; r < grid->rowCount(); ++r) {
        QStringList row;
        for (int c = 1; c < grid->columnCount(); ++c) {
            const QTableWidgetItem* cell = grid->item(r, c);
            row << (cell != nullptr ? cell->text() : QString());
        }
        block << row;
    }
    return block;
}

// Texts of the refused files (the window's language).
constexpr int NotRegularText = 862;
constexpr int NoCellsText = 863;
constexpr int NoCsvMapText = 991;

// A csv map holds every cell and names no controller: it is asked about as a whole map file
// of no controller is.
constexpr int CsvMapBytes = MapFile::FileSize;

bool hasCsvSuffix(const QString& path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0;
}

// " Erroneous data ", the file, and what is wrong with it.
QString refusedText(const MapHost& host, const QString& path, const QString& why) {
    return host.mapText(703) + QStringLiteral("\n") + QDir::toNativeSeparators(path) +
           QStringLiteral("\n") + why;
}

QString mapFileFault(const MapHost& host, const QByteArray& bytes) {
    if (MapFile::faultOf(bytes) == MapFile::Fault::TooShort) {
        return host.mapText(860).arg(bytes.size());
    }
    return host.mapText(861).arg(static_cast<std::uint8_t>(bytes.at(MapFile::MarkerOffset)));
}

} // namespace

MapFileCommands::MapFileCommands(MapHost& host, MapGridEditor& editor, QTableWidget* gridB,
                                 QTableWidget* gridG, QObject* parent)
    : QObject(parent), host_(host), editor_(editor), gridB_(gridB), gridG_(gridG) {
    setObjectName(QStringLiteral("MapFiles"));
}

QString MapFileCommands::cannotOpen(const QString& path, const QString& reason) const {
    return host_.mapText(702) + QStringLiteral("\n") + QDir::toNativeSeparators(path) +
           QStringLiteral("\n") + reason;
}

void MapFileCommands::ToolBtnOpenClick() {
    const QString path = host_.askFileName(false, host_.mapText(700), host_.mapText(MapFilterText),
                                           QStringLiteral("orvx"));
    if (!path.isEmpty()) {
        OpenMapFile(path);
    }
}

void MapFileCommands::ToolBtnSaveClick() {
    int filter = 0;
    const QString path = host_.askFileName(true, host_.mapText(701), host_.mapText(MapFilterText),
                                           QStringLiteral("orvx"), &filter);
    if (path.isEmpty()) {
        return;
    }
    if (saveFormatOf(path, filter) == SaveFormat::Csv) {
        SaveMapCsvFile(path);
    } else {
        SaveMapFile(path);
    }
}

MapFileCommands::SaveFormat MapFileCommands::saveFormatOf(const QString& path, int filterIndex) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0) {
        return SaveFormat::Csv;
    }
    if (suffix.compare(QStringLiteral("orvx"), Qt::CaseInsensitive) == 0) {
        return SaveFormat::Binary;
    }
    return filterIndex == 1 ? SaveFormat::Csv : SaveFormat::Binary;
}

bool MapFileCommands::SaveMapCsvFile(const QString& path) {
    const ControllerMirror& m = host_.mirror();
    CsvMapFile::Block rows;
    for (int row = 1; row <= CsvMapFile::Rows; ++row) {
        QStringList fields;
        for (int column = 1; column <= CsvMapFile::Columns; ++column) {
            const auto v = static_cast<std::int8_t>(
                m.MapTable[static_cast<std::size_t>(MapCells::byteAt(column, row))]);
            fields << MapCellValue::text(v);
        }
        rows << fields;
    }
    const QString reason =
        MapFile::saveWhole(path, CsvMapFile::compose(rows, CsvMapFile::Block()).toUtf8());
    if (!reason.isEmpty()) {
        host_.showFileError(cannotOpen(path, reason));
        return false;
    }
    return true;
}

void MapFileCommands::MenuPikiOtworzClick() {
    const QString path =
        host_.askFileName(false, host_.mapText(700), host_.mapText(710), QStringLiteral("csv"));
    if (!path.isEmpty()) {
        OpenCsvFile(path);
    }
}

void MapFileCommands::MenuPlikiZapiszClick() {
    const QString path =
        host_.askFileName(true, host_.mapText(701), host_.mapText(710), QStringLiteral("csv"));
    if (!path.isEmpty()) {
        SaveCsvFile(path);
    }
}

bool MapFileCommands::SaveMapFile(const QString& path) {
    const QString reason = MapFile::saveWhole(path, MapFile::compose(host_.mirror()));
    if (!reason.isEmpty()) {
        host_.showFileError(cannotOpen(path, reason));
        return false;
    }
    return true;
}

bool MapFileCommands::OpenMapFile(const QString& path) {
    if (hasCsvSuffix(path)) {
        return openCsvMap(path);
    }
    QString reason;
    bool notRegular = false;
    // Read only: a reference map on a write-protected stick opens as well. One byte past a
    // map file says that the file is longer; the rest is never read.
    const QByteArray bytes = MapFile::readWhole(path, &reason, MapFile::FileSize + 1, &notRegular);
    if (notRegular) {
        reason = host_.mapText(NotRegularText);
    }
    if (!reason.isEmpty()) {
        host_.showFileError(cannotOpen(path, reason));
        return false;
    }
    if (MapFile::faultOf(bytes) != MapFile::Fault::None && bytes.startsWith('#')) {
        return openCsvMap(path); // a csv map under another name
    }
    ControllerMirror& m = host_.mirror();
    // The file's map is read aside first: nothing changes before the user has answered.
    MapGridEditor::MapBytes fileMap{};
    if (MapFile::applyTo(bytes, m.MapTable, fileMap) != MapFile::Read::Loaded) {
        host_.showFileError(refusedText(host_, path, mapFileFault(host_, bytes)));
        return false;
    }
    qint64 size = bytes.size();
    if (size > MapFile::FileSize) {
        size = std::max(size, QFileInfo(path).size());
    }
    const int fileBytes = int(std::min<qint64>(size, std::numeric_limits<int>::max()));
    // Cells a short file does not hold stay the controller's.
    MapGridEditor::CellMask cells;
    const int mapBytes = fileBytes - MapFile::HeaderSize;
    for (int n = 0; n < MapCells::CellCount; ++n) {
        cells.set(static_cast<std::size_t>(n), MapCells::byteOfCell(n) < mapBytes);
    }
    return offerMap(fileMap, QFileInfo(path).fileName(), cells, MapFile::deviceIdOf(bytes),
                    fileBytes);
}

bool MapFileCommands::openCsvMap(const QString& path) {
    CsvMapFile::Parsed parsed;
    if (!readCsv(path, parsed)) {
        return false;
    }
    if (!CsvMapFile::isMap(parsed)) {
        host_.showFileError(refusedText(host_, path, host_.mapText(NoCsvMapText)));
        return false;
    }
    // The cells as typed ones are taken: held at the map's limits, on its 0.2 degree steps.
    MapGridEditor::MapBytes fileMap = host_.mirror().MapTable;
    for (const CsvMapFile::Cell& cell : parsed.petrol) {
        fileMap[static_cast<std::size_t>(MapCells::byteAt(cell.column, cell.row))] =
            static_cast<std::uint8_t>(static_cast<std::int8_t>(MapCellValue::stepsOf(cell.value)));
    }
    MapGridEditor::CellMask every;
    every.set();
    return offerMap(fileMap, QFileInfo(path).fileName(), every, 0, CsvMapBytes);
}

bool MapFileCommands::offerMap(const MapGridEditor::MapBytes& fileMap, const QString& name,
                               const MapGridEditor::CellMask& cells, std::uint32_t fileDevice,
                               int fileBytes) {
    ControllerMirror& m = host_.mirror();
    const MapGridEditor::MapBytes before = m.MapTable;
    if (!host_.mapEditable() || !host_.controllerAnswering()) {
        // The controller's map is not known: the file is shown, not written, and offered once
        // the controller's identity, settings and map have been read. Cells the file does
        // not hold will be the controller's, never the ones shown now.
        m.MapTable = fileMap;
        editor_.showMapTable();
        if (TChart3D* chart = host_.mapChart()) {
            chart->RefreshChart();
        }
        editor_.mapFileLoadedAside(before, name, cells, fileDevice, fileBytes);
        return true;
    }
    // With the controller's map at hand, the user sees what the file would change first; a
    // file that is not exactly a map file, or another controller's, has No as its default.
    bool write =
        host_.askYesNo(editor_.writeQuestion(m.MapTable, fileMap, true, fileDevice, fileBytes),
                       MapFile::yesByDefault(fileDevice, m.DeviceId, fileBytes));
    if (write) {
        write = host_.mapFileAboutToBeWritten(m);
    }
    m.MapTable = fileMap;
    editor_.showMapTable();
    if (TChart3D* chart = host_.mapChart()) {
        chart->RefreshChart();
    }
    editor_.mapFileLoaded(before, name, write);
    if (!write) {
        return true;
    }
    // The whole map goes to the controller; its identity and settings are read again.
    m.MapWriteFirst = 0;
    m.MapWriteLast = 271;
    m.PendingWrites |= PW_MAP_WRITE;
    m.SettingIndex = 0;
    m.IdentityState = 0;
    return true;
}

bool MapFileCommands::SaveCsvFile(const QString& path) {
    const QString text = CsvMapFile::compose(rowsOf(gridB_), rowsOf(gridG_));
    const QString reason = MapFile::saveWhole(path, text.toUtf8());
    if (!reason.isEmpty()) {
        host_.showFileError(cannotOpen(path, reason));
        return false;
    }
    host_.beep();
    return true;
}

bool MapFileCommands::readCsv(const QString& path, CsvMapFile::Parsed& parsed) {
    QString reason;
    bool notRegular = false;
    // One byte over the limit is enough to know.
    const QByteArray bytes =
        MapFile::readWhole(path, &reason, CsvMapFile::MaxFileBytes + 1, &notRegular);
    if (notRegular) {
        reason = host_.mapText(NotRegularText);
    }
    if (reason.isEmpty() && bytes.size() > CsvMapFile::MaxFileBytes) {
        reason = QStringLiteral("%1: %2 > %3")
                     .arg(QString::fromLocal8Bit(std::strerror(EFBIG)))
                     .arg(std::max<qint64>(QFileInfo(path).size(), bytes.size()))
                     .arg(CsvMapFile::MaxFileBytes);
    }
    if (!reason.isEmpty()) {
        host_.showFileError(cannotOpen(path, reason));
        return false;
    }
    // The whole file is read before anything changes: a bad field leaves grids and chart alone.
    parsed = CsvMapFile::parse(QString::fromUtf8(bytes));
    if (parsed.badLine != 0) {
        host_.showFileError(
            refusedText(host_, path, host_.mapText(260).arg(parsed.badLine).arg(parsed.badField)));
        return false;
    }
    return true;
}

bool MapFileCommands::OpenCsvFile(const QString& path) {
    CsvMapFile::Parsed parsed;
    if (!readCsv(path, parsed)) {
        return false;
    }
    // A file without a single field (empty, one line, no ";" at all) holds no map: loading it
    // would only close the port and clear the chart.
    if (parsed.petrol.isEmpty() && parsed.gas.isEmpty()) {
        host_.showFileError(refusedText(host_, path, host_.mapText(NoCellsText)));
        return false;
    }
    host_.setFileCaption(QStringLiteral("Orvex V1.03 - ") + QFileInfo(path).fileName(),
                         QStringLiteral("Orvex"));
    host_.closePort(); // the window shows file data now, not a live controller
    TChart3D* chart = host_.mapChart();
    if (chart != nullptr) {
        chart->ClearLayers(-1);
    }
    for (int layer = 0; layer < 2; ++layer) {
        QTableWidget* grid = layer == 0 ? gridB_ : gridG_;
        for (const CsvMapFile::Cell& cell : layer == 0 ? parsed.petrol : parsed.gas) {
            setGridCell(grid, cell.column, cell.row, cell.text);
            if (chart != nullptr && cell.hasValue) {
                chart->SetPoint(layer, cell.column, cell.row, cell.value);
            }
        }
    }
    if (chart != nullptr) {
        chart->RefreshChart();
    }
    return true;
}

bool MapFileCommands::OpenAnyFile(const QString& path) {
    if (!hasCsvSuffix(path)) {
        return OpenMapFile(path);
    }
    // A csv map goes to the map grid as Open map takes it; the measured maps to their grids.
    CsvMapFile::Parsed parsed;
    if (!readCsv(path, parsed)) {
        return false;
    }
    return CsvMapFile::isMap(parsed) ? openCsvMap(path) : OpenCsvFile(path);
}
