#pragma once
// The time-height section of a page as the year window shows it and the
// exporter draws it: heights from 0 to the top of the sounding chart's
// altitude axis, so that both follow the same settings.

#include "chart/ColourSection.h"
#include "sounding/Sounding.h"

#include <QImage>
#include <QSize>

#include <vector>

class TChart;

// The top of the section, in m: the chart's altitude maximum; a chart
// whose axis does not reach above 0 m gives the section's usual 20000 m.
double SectionHeightMax(TChart& Chart);

// The grid of a page's soundings up to HeightMax.
TTimeHeightSection PageSection(const std::vector<TSounding>& Soundings, double HeightMax);

// The picture of a page's section at Size, drawn without a display.
QImage RenderSectionPicture(const std::vector<TSounding>& Soundings, double HeightMax, QSize Size);
