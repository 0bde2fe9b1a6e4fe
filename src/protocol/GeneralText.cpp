#include "GeneralText.h"

#include "GeneralNumber.h"

QString GeneralText(double value) {
    return GeneralNumber(value).toString();
}
