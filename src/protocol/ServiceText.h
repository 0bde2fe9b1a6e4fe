#pragma once

#include <QString>

struct ControllerMirror;

// The controller's service text: data bytes 1..40 scrambled with a running XOR seeded 0x5E.
class ServiceText {
public:
    // Descrambles RxBuffer bytes 1..40 in place and returns the text of bytes 1..39 up to the
    // first zero byte (it becomes the window caption).
    static QString Decode(ControllerMirror& mirror);
};
