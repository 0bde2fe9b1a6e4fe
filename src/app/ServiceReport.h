#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// The service report for the customer's folder: one A4 PDF with the date, the controller's
// identity and information report, its settings, the map as a coloured table and as the 3-D
// picture, and the link figures. The window fills in the content (texts already in the
// user's language); this class only lays it out on pages, as a form: names at the left, their
// values in one column, long lines wrapped.
class ServiceReport {
public:
    struct Setting {
        QString name;
        QString value;
        QString unit;
    };
    // A line of the information report: a name and its value; without a name, a line of its
    // own (the frame log); both empty, a gap.
    struct Field {
        QString name;
        QString value;
    };
    struct MapCell {
        QString text;
        QColor colour;
    };

    struct Content {
        QString title;         // "Service report"
        QString date;          // "Date: 2026-12-08 14:03"
        QString program;       // window caption: program and controller
        QString infoTitle;     // heading of the information report
        QList<Field> info;
        QString settingsTitle;
        QStringList settingsHeader; // name and value (the value column holds the unit too)
        QList<Setting> settings;
        QString mapTitle;
        // rows of the map: the first row and the first column are the axis captions
        QList<QList<MapCell>> map;
        QImage chart; // the 3-D picture; none when null
        QString linkTitle;
        QStringList linkLines;
    };

    // Writes the PDF; empty on success, else why not (the file is then removed).
    static QString write(const QString& path, const Content& content);
};
