#pragma once

#include "LangSource.h"

#include <QHash>

// The Polish texts of the ids the decoders use; any other id reads "#<id>".
class FakeLang : public LangSource {
public:
    FakeLang() {
        texts = {
            {101, "Informacje o sterowniku"},
            {142, "BENZYNA"},
            {144, "GAZ"},
            {150, " obr/min"},
            {212, "Obroty"},
            {213, "Kąt"},
            {400, " Odłączony"},
            {401, " Wyłączony"},
            {402, " Włączony"},
            {410, " Błąd"},
            {411, " OK"},
            {431, " Brak"},
            {732, "Konfiguracja wariatora z przełączników"},
            {733, "Konfiguracja wariatora z komputera PC"},
            {741, "nowsza wersja programu"},
            {920, "  Błąd oprogramowania !  "},
            {921, "[0]"},
            {922, "[1]"},
            {923, "[2]"},
            {924, "[3]"},
        };
    }
    QString LangText(int id) const override {
        const auto it = texts.constFind(id);
        return it != texts.cend() ? *it : QStringLiteral("#%1").arg(id);
    }

private:
    QHash<int, QString> texts;
};
