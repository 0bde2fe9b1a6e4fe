#pragma once

#include "SettingsView.h"

#include <QString>

struct ControllerMirror;
class LangSource;
struct ControlStates;

// Decodes a settings response (body in RxBuffer: count N, then setting k at byte k + 1).
// SettingIndex becomes -1 (settings in step) unless the user queued an edit after the request
// went out; SettingsImage is refilled with 0xFF and bytes 0..15 of the data.
class SettingsDecoder {
public:
    static SettingsView Decode(ControllerMirror& mirror, const QString& rxLogLine,
                               const LangSource& lang, const ControlStates& states);
    // The settings section of the information report for the data in RxBuffer.
    static QStringList ReportSection(const ControllerMirror& mirror, const QString& rxLogLine);
};
