#pragma once

#include "TCoreComm.h"

// The component as the facade owns it. It publishes the properties of TCoreComm and adds no
// behaviour; it exists so that the facade's member has the component's published type.
class TMyComm : public TCoreComm {
    Q_OBJECT
public:
    using TCoreComm::TCoreComm;
};
