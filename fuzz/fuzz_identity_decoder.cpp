// The identity decoder on any body: loader and application forms, every length the reader can
// deliver, any option and jumper bytes.

#include "DecoderInput.h"
#include "FakeLang.h"
#include "IdentityDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FakeLang lang;
    FuzzInput in(data, size);
    DecoderInput d(in);
    const QString rxLine = d.mirror.LogFrames ? QStringLiteral("Rx: 55 ..") : QString();
    const IdentityResult r =
        IdentityDecoder::Decode(d.mirror, d.bodyLength, rxLine, lang, d.states);
    d.checkUntouched();
    FUZZ_CHECK(d.mirror.IdentityState == -1 || r.loader || d.mirror.IdentityState == 0);
    FUZZ_CHECK(!r.showTab || r.loader);
    for (const QString& line : r.reportLines) {
        FUZZ_CHECK(line.size() < 4096);
    }
    return 0;
}
