#pragma once

#include <QString>
#include <vector>

// A set of measured values (milliseconds, nanoseconds, ... as the caller chooses) and the
// figures the benchmarks print: median, 95th percentile (nearest rank), maximum.
class Samples {
public:
    void add(double value) { values_.push_back(value); }
    int count() const { return static_cast<int>(values_.size()); }
    bool empty() const { return values_.empty(); }

    double min() const;
    double median() const;
    double p95() const;
    double max() const;
    double mean() const;

    // "median 12.3  p95 14.0  max 15.1  (n=40)" with `unit` after each figure.
    QString summary(const char* unit, int decimals = 1) const;

private:
    double percentile(double fraction) const;
    std::vector<double> values_;
};
