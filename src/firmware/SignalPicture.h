#pragma once

#include <QImage>

// The crankshaft signal a firmware version is made for, as drawn under the catalogue: sine
// teeth for inductive sensors (60-2, 36-1, 36-2, or 60-2 above 36-1), square teeth for Hall
// sensors (60-2, 17+3, 12+1), on a light yellow background. One revolution is 360 * zoom pixels
// wide and the first one starts half a revolution left of the picture. Any other code draws the
// background only.
QImage SignalPictureImage(int signalCode, int width, int height, int zoom);
