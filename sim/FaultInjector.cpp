#include "FaultInjector.h"

#include <algorithm>

void FaultInjector::add(const SimFault& fault) {
    faults_.push_back({fault, 0});
}

void FaultInjector::clear() {
    faults_.clear();
}

FaultInjector::Plan FaultInjector::plan(quint8 requestCmd) {
    Plan p;
    for (Active& a : faults_) {
        const SimFault& f = a.fault;
        if (f.atBlock >= 0)
            continue; // planBlock's
        if (f.onlyCommand >= 0 && (f.onlyCommand & 0xFE) != (requestCmd & 0xFE))
            continue;
        ++a.matched;
        if (f.kind == SimFault::Silence) {
            // "silence:N" lets N requests through first; the N-th rule counts the rest.
            if (a.matched <= quint64(std::max(0, f.arg)))
                continue;
            const quint64 after = a.matched - quint64(std::max(0, f.arg));
            if (f.everyNth <= 1 || after % quint64(f.everyNth) == 0)
                p.silence = true;
            continue;
        }
        if (f.everyNth > 1 && a.matched % quint64(f.everyNth) != 0)
            continue;
        apply(f, p);
    }
    return p;
}

void FaultInjector::planBlock(int block, Plan& p) {
    for (Active& a : faults_) {
        if (a.fault.atBlock != block || a.matched > 0)
            continue;
        ++a.matched;
        if (a.fault.kind == SimFault::Silence)
            p.silence = true;
        else
            apply(a.fault, p);
    }
}

void FaultInjector::apply(const SimFault& f, Plan& p) {
    constexpr int DefaultSplitMs = 150;
    switch (f.kind) {
    case SimFault::Late:
        p.lateMs += f.arg > 0 ? f.arg : 100;
        break;
    case SimFault::BadChecksum:
        p.badChecksum = true;
        break;
    case SimFault::Garbage:
        p.garbage += f.arg > 0 ? f.arg : 3;
        break;
    case SimFault::Truncated:
        p.truncate = f.arg > 0 ? f.arg : -1;
        break;
    case SimFault::WrongStart:
        p.wrongStart = true;
        break;
    case SimFault::HangUp:
        p.hangUp = true;
        break;
    case SimFault::Split:
        p.splitMs += f.arg > 0 ? f.arg : DefaultSplitMs;
        break;
    case SimFault::Silence:
        break;
    }
}

QByteArray FaultInjector::shape(const Plan& p, const QByteArray& answer) {
    QByteArray out = answer;
    if (out.isEmpty())
        return out;
    if (p.badChecksum)
        out[out.size() - 1] = char(quint8(out[out.size() - 1]) + 1);
    if (p.wrongStart)
        out[0] = char(0xAA);
    if (p.truncate != 0 && out.size() > 3) {
        const int body = int(out.size()) - 3;
        const int cut = p.truncate < 0 ? std::max(1, body / 2) : std::min(p.truncate, body);
        out.chop(cut);
    }
    if (p.garbage > 0) {
        QByteArray junk;
        for (int i = 0; i < p.garbage; ++i) {
            quint8 b = quint8(0xA7 + 0x3B * i);
            if (b == 0x55)
                b = 0x56; // never a header byte: the garbage must not look like a frame start
            junk.append(char(b));
        }
        out.prepend(junk);
    }
    return out;
}
