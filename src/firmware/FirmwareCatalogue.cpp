#include "FirmwareCatalogue.h"

#include <array>

namespace {

const std::array<CatalogueModel, 3>& models() {
    static const std::array<CatalogueModel, 3> table{{
        {0x0801E0E0u,
         "KOLVA-VX-01  ",
         742,
         {{750, nullptr, 0}, {751, nullptr, 1}, {752, nullptr, 2}, {753, nullptr, 3}}},
        {0x0801C0C0u, "KOLVA-VX-01  ", 742, {{750, nullptr, 8}}},
        {0x08026060u,
         "KOLVA-VX-02  ",
         745,
         {{751, nullptr, 10}, {0, "Daewoo Matiz 0.8 DAC", 11}, {0, "Honda (12+1)", 12}}},
    }};
    return table;
}

} // namespace

const CatalogueModel* FirmwareCatalogue::ForDevice(std::uint32_t deviceId) {
    for (const CatalogueModel& m : models()) {
        if (m.deviceId == deviceId) {
            return &m;
        }
    }
    return nullptr;
}

QList<CatalogueVersion> FirmwareCatalogue::Versions(int signalCode, bool serviceMode) {
    static constexpr int descriptions[] = {743, 744, 300};
    QList<CatalogueVersion> out;
    const int variants = serviceMode ? 4 : 3;
    for (int v = 1; v <= variants; ++v) {
        CatalogueVersion e;
        const QString head = QStringLiteral("V1.3.%1.%2").arg(v).arg(signalCode);
        e.label = v == 4 ? head + QStringLiteral(" - Admin") : head + QStringLiteral(" - ");
        e.textId = v == 4 ? 0 : descriptions[v - 1];
        e.imageId = QStringLiteral("13%1%2").arg(v).arg(signalCode).toInt();
        out << e;
    }
    return out;
}

QList<int> FirmwareCatalogue::ImageIds(std::uint32_t deviceId) {
    QList<int> ids;
    if (const CatalogueModel* m = ForDevice(deviceId)) {
        for (const CatalogueGroup& g : m->groups) {
            for (const CatalogueVersion& v : Versions(g.signalCode, true)) {
                ids << v.imageId;
            }
        }
    }
    return ids;
}

QList<int> FirmwareCatalogue::AllImageIds() {
    QList<int> ids;
    for (const CatalogueModel& m : models()) {
        ids << ImageIds(m.deviceId);
    }
    return ids;
}
