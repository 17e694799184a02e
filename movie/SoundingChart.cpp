#include "movie/SoundingChart.h"

#include "components/jtINI_File.h"
#include "components/jtSysUtils.h"

std::vector<std::string> ProfileDefaults()
{
    return {
        "[Temperature]",
        "min = -90",
        "max = 50",
        "",
        "[Altitude]",
        "min = 0",
        "max = 51000",
        "",
        "[International_Standard_Atmosphere 1976]",
        "51000  =\t -2.5",
        "47000  =\t -2.5",
        "32000  =\t-44.5",
        "20000  =\t-56.5",
        "11000  =\t-56.5",
        "0      =\t15",
        ";         bbggrr",
        "color  = $FF0000",
        "",
        "[DALR]",
        "20000  =\t-181",
        "0      =\t15",
        "color  = $8000ff",
        "",
        "[ELR]",
        "20000  =\t-115",
        "0      =\t15",
        "",
        "[SALR]",
        "color  = $000000",
        "20000  =\t-45",
        "0      =\t15",
        "",
        "[Dewpoint]",
        "color  = $008000",
        "",
        "[WindDirection]",
        "color  = $000000",
        "",
        "[Windspeed]",
        "color  = $0080ff",
        "",
        "",
        " ",
    };
}

std::vector<std::string> CatalogueDefaults()
{
    return {
        "// if the file is not in the [soundings] list below, it will be ignored",
        "// if a file is sepcified, it will be loaded before anything is displayed (slow)",
        "[Display at start]",
        "file = xTucson 2006.html",
        "ms_per_frame = 1",
        "",
        "[soundings-internal]",
        "Anchorage 2006.html=",
        "Denver 2006.html=",
        "Jacksonville 2006.html=",
        "Key West 2006.html=",
        "SouthPole 2006.html=",
        "Tucson 2006.html=",
        "YUMA 2006.html=",
    };
}

void SetupChart1(TChart& Chart)
{
    Chart.setObjectName("Chart1");
    Chart.Title().SetText({"Lapse Rate - Temperature vs Altitude"});
    Chart.Title().SetFont(TChartFont{"Arial", -13, clBlack, 0});
    Chart.BottomAxis().SetAutomatic(false);
    Chart.BottomAxis().SetMinMax(0, 25);
    Chart.BottomAxis().SetTitle("Temperature (C)");
    Chart.LeftAxis().SetAutomatic(false);
    Chart.LeftAxis().SetMinMax(0, 256);
    Chart.LeftAxis().SetTitle("Altitude (m)");
    Chart.Legend().SetVisible(false);
    Chart.SetView3D(false);
    Chart.BackWall().SetColor(clWhite);
    Chart.BackWall().SetBrushClear(true);

    TLineSeries* Series1 = Chart.AddLineSeries();
    Series1->setObjectName("Series1");
    Series1->SetTitle("Temperature");
    Series1->SetColor(clRed);
    Series1->SetMarksVisible(false);
    Series1->SetPointerVisible(true);
    Series1->SetXOrder(TChartXOrder::Ascending);
}

void ApplyAxisRanges(TjtINI_File& Ini, TChart& Chart)
{
    // Read in this order: a key that is absent is added to the settings as
    // it is read.
    const double TemperatureMin = double(Ini.ReadFloat("Temperature", "min"));
    const double TemperatureMax = double(Ini.ReadFloat("Temperature", "max"));
    Chart.BottomAxis().SetMinMax(TemperatureMin, TemperatureMax);
    const double AltitudeMin = double(Ini.ReadFloat("Altitude", "min"));
    const double AltitudeMax = double(Ini.ReadFloat("Altitude", "max"));
    Chart.LeftAxis().SetMinMax(AltitudeMin, AltitudeMax);
}

TLineSeries* ReadProfile(TjtINI_File& Ini, TChart& Chart, const std::string& Section)
{
    TLineSeries* Series = Chart.AddLineSeries();
    Series->SetXOrder(TChartXOrder::None);
    Series->SetActive(false);
    std::vector<std::string> Keys;
    Ini.ReadSection(Section, Keys);
    for (const std::string& Key : Keys) {
        if (Key == "color") {
            Series->SetColor(TColor(jt::TextToInt(Ini.ReadString(Section, "color"))));
        } else {
            const double Temperature = double(Ini.ReadFloat(Section, Key));
            const int Altitude = jt::TextToInt(Key);
            Series->AddXY(Temperature, Altitude);
        }
    }
    return Series;
}

void ReadChartSettings(TjtINI_File& Ini, TChart& Chart)
{
    ApplyAxisRanges(Ini, Chart);
    for (const char* Section : {"International_Standard_Atmosphere 1976", "DALR", "ELR", "SALR"})
        ReadProfile(Ini, Chart, Section);
    for (const char* Section : {"Dewpoint", "WindDirection", "Windspeed"})
        ReadProfile(Ini, Chart, Section);
}

void ApplySeriesChoice(TChart& Chart, const TSeriesChoice& Choice)
{
    for (int Slot = FirstReferenceSlot; Slot < SlotCount; ++Slot)
        if (TLineSeries* S = Chart.Series(Slot))
            S->SetActive(Choice.Shown[Slot]);
    if (TLineSeries* S = Chart.Series(TemperatureSlot)) {
        S->SetPointerVisible(Choice.Points);
        S->SetMarksVisible(Choice.Markers);
    }
}

void CopyChart(TChart& From, TChart& To)
{
    To.Title().SetText(From.Title().Text());
    To.Title().SetFont(From.Title().Font());
    To.Title().SetVisible(From.Title().Visible());
    for (auto [A, B] : {std::pair{&From.BottomAxis(), &To.BottomAxis()}, std::pair{&From.LeftAxis(), &To.LeftAxis()}}) {
        B->SetAutomatic(A->Automatic());
        B->SetMinMax(A->Minimum(), A->Maximum());
        B->SetTitle(A->Title());
    }
    To.Legend().SetVisible(From.Legend().Visible());
    To.BackWall().SetColor(From.BackWall().Color());
    To.BackWall().SetBrushClear(From.BackWall().BrushClear());
    To.SetColor(From.Color());
    To.SetView3D(From.View3D());

    for (int I = 0; I < From.SeriesCount(); ++I) {
        const TLineSeries* A = From.Series(I);
        TLineSeries* B = To.AddLineSeries();
        B->setObjectName(A->objectName());
        B->SetTitle(A->Title());
        B->SetColor(A->Color());
        B->SetActive(A->Active());
        B->SetPointerVisible(A->PointerVisible());
        B->SetMarksVisible(A->MarksVisible());
        // The points go in as they stand; an ascending series' points are
        // already in order, so switching the order afterwards moves none.
        B->SetXOrder(TChartXOrder::None);
        for (int P = 0; P < A->Count(); ++P)
            B->AddXY(A->XValue(P), A->YValue(P));
        B->SetXOrder(A->XOrder());
    }
}

void TFrameRenderer::ShowFrame(int K)
{
    TLineSeries* Temperature = chart_.Series(TemperatureSlot);
    if (!Temperature)
        return;
    rates_.PlotFrame(K, *Temperature);
    // The window re-plots an extra series only while its box is checked,
    // which is exactly while the series is shown.
    const TSoundingQuantity Kinds[] = {sqDewPointDiff, sqWindDirection, sqWindSpeed};
    for (int I = 0; I < 3; ++I) {
        TLineSeries* S = chart_.Series(FirstExtraSlot + I);
        if (S && S->Active())
            rates_.PlotQuantity(Kinds[I], *S);
    }
}

QImage TFrameRenderer::RenderFrame(int K, QSize Size)
{
    ShowFrame(K);
    return chart_.RenderToImage(Size);
}
