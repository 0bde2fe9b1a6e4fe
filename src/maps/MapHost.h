#pragma once

#include <QString>

struct ControllerMirror;
class TChart3D;

// What the map editor, the map files and the chart need from the main window: the controller
// mirror (map, write range, pending writes, identity), texts, the chart when it exists, and the
// few window-level actions around them. The window implements it over its mirror and widgets;
// tests implement it with plain fields.
class MapHost {
public:
    virtual ~MapHost() = default;

    virtual ControllerMirror& mirror() = 0;
    virtual QString mapText(int id) const = 0; // LangText
    // RGMapa is not at "off": the cells are drawn in colour and can be edited.
    virtual bool mapOn() const = 0;
    // The controller's map has been read: before that the cells hold nothing the user may
    // change or write back.
    virtual bool mapEditable() const = 0;
    // MapChart, or null while the 3-D view has never been opened.
    virtual TChart3D* mapChart() = 0;

    virtual void beep() = 0;
    virtual void setStatusText(const QString& text) = 0;

    // Files: a file name from the open or save dialog (empty when cancelled), a message box
    // with the stop icon and the caption "Orvex", the window caption and application title,
    // and closing the serial port. `chosenFilter`, when given, gets the index of the filter
    // the user left selected.
    virtual QString askFileName(bool save, const QString& title, const QString& filter,
                                const QString& defaultSuffix, int* chosenFilter = nullptr) = 0;
    virtual void showFileError(const QString& text) = 0;
    virtual void setFileCaption(const QString& caption, const QString& title) = 0;
    virtual void closePort() = 0;

    // The controller answers (the window does not show "No connection").
    virtual bool controllerAnswering() const = 0;
    // The controller answers and its identity, settings and map have been read since it
    // came: a map may be offered for writing (the backup has what it needs).
    virtual bool controllerReady() const = 0;

    // A question with Yes and No, `yesIsDefault` choosing the default button; true for Yes.
    virtual bool askYesNo(const QString& text, bool yesIsDefault) = 0;
    // Called just before the cells of a map file (or a csv map) replace the controller's map and
    // are written to it; `controller` holds the controller's settings and map as they are now.
    // False stops the write: the file stays shown, not written.
    virtual bool mapFileAboutToBeWritten(const ControllerMirror& controller) {
        (void)controller;
        return true;
    }
};
