#include "movie/SectionPicture.h"

#include "chart/Chart.h"

double SectionHeightMax(TChart& Chart)
{
    const double top = Chart.LeftAxis().Maximum();
    return top > 0 ? top : TSectionSize().HeightMax;
}

TTimeHeightSection PageSection(const std::vector<TSounding>& Soundings, double HeightMax)
{
    TSectionSize size;
    size.HeightMax = HeightMax;
    return BuildSection(Soundings, size);
}

QImage RenderSectionPicture(const std::vector<TSounding>& Soundings, double HeightMax, QSize Size)
{
    TColourSection view;
    view.resize(Size);
    view.SetSection(PageSection(Soundings, HeightMax));
    return view.RenderToImage(Size);
}
