// The live decoder on any body, in the 19-, 20- and 21-byte forms and as a replayed record.

#include "DecoderInput.h"
#include "FakeLang.h"
#include "LiveDecoder.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FakeLang lang;
    FuzzInput in(data, size);
    DecoderInput d(in);
    const int forms[] = {0, 19, 20, 21, d.bodyLength};
    const int body = forms[d.bodyLength % 5];
    LiveDecoder::Decode(d.mirror, body, lang, d.states);
    d.checkUntouched();
    FUZZ_CHECK(std::isfinite(d.mirror.RevsPerSecond) && d.mirror.RevsPerSecond >= 0.0F);
    FUZZ_CHECK(d.mirror.ImpulseErrorCount >= 0);
    return 0;
}
