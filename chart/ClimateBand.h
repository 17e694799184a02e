#pragma once
// The percentile bands of a station's climatology as the charts draw them:
// per height (rising, in m) the 10th, 25th, 50th, 75th and 90th percentiles
// of a quantity, in the chart's unit. Heights where any of them is missing
// are left out by whoever fills it.

#include <vector>

struct TClimateBand {
    std::vector<double> Height;
    std::vector<double> P10, P25, P50, P75, P90;

    bool Empty() const { return Height.size() < 2; }
    void Add(double Z, double A10, double A25, double A50, double A75, double A90)
    {
        Height.push_back(Z);
        P10.push_back(A10);
        P25.push_back(A25);
        P50.push_back(A50);
        P75.push_back(A75);
        P90.push_back(A90);
    }
};
