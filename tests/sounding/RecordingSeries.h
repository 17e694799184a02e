#pragma once
// A chart series double that records what was done to it, in order.

#include "sounding/PlotSeries.h"

#include <string>
#include <utility>
#include <vector>

class RecordingSeries : public TPlotSeries {
public:
    // "clear", "order none" and "point" entries, in call order.
    std::vector<std::string> Calls;
    std::vector<std::pair<double, double>> Points;

    void Clear() override
    {
        Calls.push_back("clear");
        Points.clear();
    }
    void SetXOrderNone() override { Calls.push_back("order none"); }
    void AddXY(double X, double Y) override
    {
        Calls.push_back("point");
        Points.emplace_back(X, Y);
    }
    bool Untouched() const { return Calls.empty(); }
};
