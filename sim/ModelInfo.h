#pragma once

#include "SimConfig.h"

// Fixed identity of each simulated controller model.
struct ModelInfo {
    quint8 plytka; // board
    quint8 model;
    quint8 montaz; // fitting variant
    quint8 zworki; // jumpers
    quint8 opcjeL;
    quint8 opcjeH;
    quint8 version[4]; // a, b, c, d of version a.b.c.d

    static ModelInfo of(SimModel model);
    quint32 deviceId() const {
        return quint32(plytka) << 24 | quint32(model) << 16 | quint32(montaz) << 8 | zworki;
    }
};
