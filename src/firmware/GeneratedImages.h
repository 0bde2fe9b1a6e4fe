#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Stand-in images for the demo's simulated controller, the tests and the benchmarks: 8832
// bytes that depend only on the image id, ending with "ORVX" and the id (four bytes, high byte
// first). They are never installed in a user's folder.
class GeneratedImages {
public:
    static QByteArray Image(int imageId);
    // Writes "<id>.bin" for every id into `folder` (created when missing); false on failure.
    static bool Install(const QString& folder, const QList<int>& imageIds);
};
