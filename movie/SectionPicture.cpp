#include "movie/SectionPicture.h"

#include "analysis/ClimateViews.h"
#include "components/jtINI_File.h"
#include "components/jtSysUtils.h"

#include <cmath>

double SectionHeightMax(TjtINI_File& Settings)
{
    const TSectionSize Usual;
    const std::string Text = Settings.ReadString("Year", "HeightMax", "");
    if (Text.empty()) return Usual.HeightMax;
    double Top = 0;
    try {
        Top = double(Settings.ReadFloat("Year", "HeightMax", Usual.HeightMax));
    } catch (const Exception&) {
        Top = std::nan("");
    }
    if (!(Top >= 1000 && Top <= 100000))
        throw Exception("[Year] HeightMax must be a height from 1000 to 100000 m, not \"" + Text + "\"");
    return Top;
}

TTimeHeightSection PageSection(const std::vector<TSounding>& Soundings, double HeightMax)
{
    TSectionSize size;
    size.HeightMax = HeightMax;
    return BuildSection(Soundings, size);
}

void ShowPageSection(TColourSection& View, const std::vector<TSounding>& Soundings, double HeightMax,
                     const std::string& Name, const sounding::TClimatology* Anomaly)
{
    const TTimeHeightSection section = PageSection(Soundings, HeightMax);
    if (!Anomaly) {
        if (View.Anomaly()) View.SetAnomaly(false);
        View.SetSection(section, SectionHeading(section, Name));
        return;
    }
    const TTimeHeightSection anomaly = sounding::AnomalySection(section, Soundings, *Anomaly);
    View.SetAnomaly(true, sounding::AnomalyLimit(anomaly));
    View.SetSection(anomaly, SectionHeading(section, Name) + ", anomaly from the climatology of " +
                                 std::to_string(Anomaly->FirstYear()) + "-" + std::to_string(Anomaly->LastYear()));
}

QImage RenderSectionPicture(const std::vector<TSounding>& Soundings, double HeightMax, QSize Size,
                            const std::string& Name, const sounding::TClimatology* Anomaly)
{
    TColourSection view;
    view.resize(Size);
    ShowPageSection(view, Soundings, HeightMax, Name, Anomaly);
    return view.RenderToImage(Size);
}
