// The settings decoder and the settings section of the report on any body.

#include "DecoderInput.h"
#include "FakeLang.h"
#include "SettingsDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FakeLang lang;
    FuzzInput in(data, size);
    DecoderInput d(in);
    const QString rxLine = d.mirror.LogFrames ? QStringLiteral("Rx: 55 ..") : QString();
    const SettingsView v = SettingsDecoder::Decode(d.mirror, rxLine, lang, d.states);
    d.checkUntouched();
    FUZZ_CHECK(d.mirror.SettingIndex == -1);
    // Bytes 0..15 of the data are kept, the rest of the image is refilled.
    for (std::size_t i = 0; i < 16; ++i) {
        FUZZ_CHECK(d.mirror.SettingsImage[i] == d.mirror.RxBuffer[i]);
    }
    for (std::size_t i = 16; i < ControllerMirror::SettingsImageSize; ++i) {
        FUZZ_CHECK(d.mirror.SettingsImage[i] == 0xFF);
    }
    // The section the decoder wrote, or the one the report asks for later: the same function of
    // the same bytes, so it is built once.
    const QStringList report =
        v.reportSectionWritten ? v.reportLines : SettingsDecoder::ReportSection(d.mirror, rxLine);
    FUZZ_CHECK(report.size() < 64);
    return 0;
}
