#pragma once

#include <QString>

// Text of a text id (100..1019) in the current language. The window's language tables
// implement it; decoders take it so that they never reach for the window.
class LangSource {
public:
    virtual ~LangSource() = default;
    virtual QString LangText(int id) const = 0;
};
