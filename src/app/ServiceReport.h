#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// The service report for the customer's folder: one A4 PDF with the date, the controller's
// identity and information report, its settings, the map as a coloured table and as the 3-D
// picture, and the link figures. The window fills in the content (texts already in the
// user's language); this class only lays it out on pages.
class ServiceReport {
public:
    struct Setting {
        QString name;
        QString value;
        QString unit;
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
        QStringList infoLines; // tab-separated columns
        QString settingsTitle;
        QStringList settingsHeader; // name, value, unit
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
