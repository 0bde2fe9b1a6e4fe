#pragma once

#include <QImage>
#include <QList>
#include <QString>

// The application icon is the emblem at the left of the logo (the logo continues with the
// program's name, which is unreadable at icon sizes): the first run of columns that are not
// background, cropped to its rows, made square, with the background around it made transparent.
namespace LogoEmblem {

// The emblem, square, ARGB; a null image when the logo has no emblem.
QImage extract(const QImage& logo);

// Writes <dir>/<n>x<n>/apps/<name>.png for each size; returns false with `error` set on failure.
bool writeThemeIcons(const QImage& emblem, const QString& dir, const QString& name,
                     const QList<int>& sizes, QString* error);

} // namespace LogoEmblem
