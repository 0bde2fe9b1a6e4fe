#include "Samples.h"

#include <algorithm>
#include <cmath>
#include <numeric>

double Samples::percentile(double fraction) const {
    if (values_.empty()) {
        return 0.0;
    }
    std::vector<double> sorted = values_;
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank: the smallest value with at least `fraction` of the samples at or below it.
    const auto rank =
        static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

double Samples::min() const {
    return values_.empty() ? 0.0 : *std::min_element(values_.begin(), values_.end());
}

double Samples::median() const {
    return percentile(0.5);
}

double Samples::p95() const {
    return percentile(0.95);
}

double Samples::max() const {
    return values_.empty() ? 0.0 : *std::max_element(values_.begin(), values_.end());
}

double Samples::mean() const {
    if (values_.empty()) {
        return 0.0;
    }
    return std::accumulate(values_.begin(), values_.end(), 0.0) /
           static_cast<double>(values_.size());
}

QString Samples::summary(const char* unit, int decimals) const {
    if (values_.empty()) {
        return QStringLiteral("no samples");
    }
    const QString u = QString::fromLatin1(unit);
    return QStringLiteral("median %1%4  p95 %2%4  max %3%4  (n=%5)")
        .arg(median(), 0, 'f', decimals)
        .arg(p95(), 0, 'f', decimals)
        .arg(max(), 0, 'f', decimals)
        .arg(u)
        .arg(count());
}
