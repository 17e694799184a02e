#include "movie/SectionPicture.h"

#include "analysis/ClimateViews.h"
#include "components/ProgramSettings.h"
#include "components/jtSysUtils.h"

double SectionHeightMax(const settings::TProgramSettings& Settings)
{
    return Settings.SectionHeightMax(TSectionSize().HeightMax);
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
