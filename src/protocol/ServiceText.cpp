#include "ServiceText.h"

#include "ControllerFrame.h"
#include "ControllerMirror.h"

QString ServiceText::Decode(ControllerMirror& m) {
    m.LinkCounter = 0;
    std::uint8_t running = SERVICE_TEXT;
    for (int i = 1; i <= 40; ++i) {
        auto& byte = m.RxBuffer[static_cast<std::size_t>(i)];
        byte = static_cast<std::uint8_t>(byte ^ running);
        running = byte;
    }
    // The text is at most 39 characters: its 40th position is the terminator, in the buffer
    // too, so a later read of stale bytes finds the text ended there.
    m.RxBuffer[40] = 0;
    QString text;
    for (int i = 1; i <= 39 && m.RxBuffer[static_cast<std::size_t>(i)] != 0; ++i) {
        text += QChar::fromLatin1(static_cast<char>(m.RxBuffer[static_cast<std::size_t>(i)]));
    }
    return text;
}
