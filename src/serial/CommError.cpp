#include "CommTypes.h"

#include <string>

namespace {
std::string fill(const char* messageTemplate, int code) {
    std::string text = messageTemplate;
    auto at = text.find("%d");
    if (at != std::string::npos) {
        text.replace(at, 2, std::to_string(code));
    }
    return text;
}
} // namespace

ECommError::ECommError(const char* messageTemplate, int code)
    : std::runtime_error(fill(messageTemplate, code)), code(code) {}
