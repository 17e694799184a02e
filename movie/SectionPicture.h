#pragma once
// The time-height section of a page as the year window shows it and the
// exporter draws it: heights from 0 to the [Year] HeightMax of the settings
// (20 km when not set), so that both follow the same settings.

#include "chart/ColourSection.h"
#include "sounding/Sounding.h"

#include <QImage>
#include <QSize>

#include <string>
#include <vector>

namespace settings {
class TProgramSettings;
}
namespace sounding {
class TClimatology;
}

// The top of the section, in m: [Year] HeightMax of the settings, 20000
// when the key is absent. A value that is no number, or outside 1000 ..
// 100000 m, raises Exception naming the key.
double SectionHeightMax(const settings::TProgramSettings& Settings);

// The grid of a page's soundings up to HeightMax.
TTimeHeightSection PageSection(const std::vector<TSounding>& Soundings, double HeightMax);

// Shows a page's section in a view, headed by the station and the period
// (Name, the page or file name, stands in for a station the titles lack).
// With a climatology, the cells show their anomaly from the day's median.
void ShowPageSection(TColourSection& View, const std::vector<TSounding>& Soundings, double HeightMax,
                     const std::string& Name, const sounding::TClimatology* Anomaly = nullptr);

// The picture of a page's section at Size, drawn without a display; as
// anomalies with a climatology.
QImage RenderSectionPicture(const std::vector<TSounding>& Soundings, double HeightMax, QSize Size,
                            const std::string& Name = "", const sounding::TClimatology* Anomaly = nullptr);
