#include "movie/SectionPicture.h"

#include "components/ProgramSettings.h"

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
                     const std::string& Name)
{
    const TTimeHeightSection section = PageSection(Soundings, HeightMax);
    View.SetSection(section, SectionHeading(section, Name));
}

QImage RenderSectionPicture(const std::vector<TSounding>& Soundings, double HeightMax, QSize Size,
                            const std::string& Name)
{
    TColourSection view;
    view.resize(Size);
    ShowPageSection(view, Soundings, HeightMax, Name);
    return view.RenderToImage(Size);
}
