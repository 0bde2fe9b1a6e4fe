#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// Which firmware images fit which controller. Texts are given by their language text id; the
// two car names are the same in every language (textId 0, literal set).
struct CatalogueGroup {
    int textId = 0; // group caption, or 0 for `literal`
    const char* literal = nullptr;
    int signalCode = 0;
};

struct CatalogueVersion {
    QString label;   // "V1.3.2.0 - " or "V1.3.4.0 - Admin"
    int textId = 0;  // description after the label, 0 for none (the service entries)
    int imageId = 0; // 1320
};

struct CatalogueModel {
    std::uint32_t deviceId = 0;
    const char* modelLabel = ""; // "KOLVA-VX-01  ", followed directly by the description
    int descriptionTextId = 0;
    QList<CatalogueGroup> groups;
};

class FirmwareCatalogue {
public:
    // The catalogue of a controller, nullptr when the program has none for it.
    static const CatalogueModel* ForDevice(std::uint32_t deviceId);
    // The versions under a group: three, and the service entry in service mode.
    static QList<CatalogueVersion> Versions(int signalCode, bool serviceMode);
    // Every image id a controller may receive (service entries included).
    static QList<int> ImageIds(std::uint32_t deviceId);
    // Every image id of every catalogue.
    static QList<int> AllImageIds();
};
