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
        int splitMs = 0; // still after the answer's first 4 bytes
    };

    void add(const SimFault& fault);
    void clear();
    bool empty() const { return faults_.empty(); }

    Plan plan(quint8 requestCmd); // counts the request against every fault's filter
    // Adds the faults aimed at the loader's request for `block` that have not hit yet (each
    // hits the first time only, so that a resumed transfer passes it).
    void planBlock(int block, Plan& plan);
    static QByteArray shape(const Plan& plan, const QByteArray& answer);

private:
    struct Active {
        SimFault fault;
        quint64 matched = 0;
    };
    static void apply(const SimFault& f, Plan& p);
    std::vector<Active> faults_;
};
