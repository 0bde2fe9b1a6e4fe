#pragma once

#include "SimConfig.h"

#include <QByteArray>
#include <vector>

// Decides, request by request, which of the active faults hit, and bends the answer.
class FaultInjector {
public:
    struct Plan {
        bool silence = false;
        bool hangUp = false;
        int lateMs = 0;
        bool badChecksum = false;
        int garbage = 0;
        int truncate = 0; // bytes cut; -1 = half the body
        bool wrongStart = false;
    };

    void add(const SimFault& fault);
    void clear();
    bool empty() const { return faults_.empty(); }

    Plan plan(quint8 requestCmd); // counts the request against every fault's filter
    static QByteArray shape(const Plan& plan, const QByteArray& answer);

private:
    struct Active {
        SimFault fault;
        quint64 matched = 0;
    };
    std::vector<Active> faults_;
};
