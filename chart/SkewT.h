#pragma once
// The skew-T log-p diagram of one launch: temperature and dew point against
// the logarithm of pressure, the isotherms slanted at 45 degrees, with dry
// and saturated adiabats and mixing-ratio lines behind; the lifted parcel of
// the indices with its CAPE and CIN shaded, its LCL, LFC and EL marked; wind
// barbs in a column at the right; and a box with the launch's indices.
//
// Everything is drawn by QCustomPlot curves that hold skewed coordinates.
// The lines behind the data, the axes and their labels lie in one paint
// buffer that is drawn again only when the size or the pressure range
// changes; a new launch redraws the data's buffer alone.

#include "sounding/Indices.h"
#include "sounding/Sounding.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCPCurve;
class QCPItemLine;
class QCPItemText;
class QCustomPlot;
class QMouseEvent;

namespace chart {

// The diagram's size in the window, at 96 pixels per inch.
inline constexpr int SkewTWidth = 700;
inline constexpr int SkewTHeight = 620;

// The default pressure range, hPa.
inline constexpr double SkewTPressureBottom = 1050;
inline constexpr double SkewTPressureTop = 100;

// Where the diagram places a temperature T (C) at a pressure P (hPa): at
// X = T + Skew * ln(1000 / P) across and Y = ln(1000 / P) up. Skew makes the
// isotherms run at 45 degrees; the temperature range across follows the
// size, so that they do so at every size.
class TSkewTransform {
public:
    // Margins around the plotted area, in pixels.
    static constexpr int MarginLeft = 60;
    static constexpr int MarginRight = 8;
    static constexpr int MarginTop = 8;
    static constexpr int MarginBottom = 40;
    // The temperatures across the bottom at the default size.
    static constexpr double DefaultSpan = 100;
    static constexpr double LeftTemperature = -40;  // at the bottom left corner

    // The skew: at the default size and pressure range, one degree across
    // takes as many pixels as 1/Skew of ln(p) up.
    static double Skew();

    TSkewTransform(QSize Size, double PressureBottom, double PressureTop);

    static double X(double T, double P);
    static double Y(double P);
    // The area inside the axes, in pixels (as QCustomPlot's axis rectangle).
    QRect Area() const { return area_; }
    double XMin() const { return xMin_; }
    double XMax() const { return xMax_; }
    double YMin() const { return yMin_; }
    double YMax() const { return yMax_; }
    double PressureBottom() const { return bottom_; }
    double PressureTop() const { return top_; }

    // Pixels of a diagram point, and back.
    QPointF PixelOf(double X, double Y) const;
    QPointF Pixel(double T, double P) const { return PixelOf(X(T, P), Y(P)); }
    double XAt(double PixelX) const;
    double YAt(double PixelY) const;
    double PressureAt(double PixelY) const;
    double TemperatureAt(QPointF Pixel) const;

private:
    QRect area_;
    double bottom_, top_;
    double xMin_, xMax_, yMin_, yMax_;
};

// A wind barb: pennants of 50 kt, full barbs of 10 kt and a half barb of
// 5 kt, for the speed rounded to 5 kt; below 2.5 kt the wind is calm.
struct TBarbGlyph {
    int Pennants = 0;
    int Full = 0;
    int Half = 0;
    bool Calm = false;
    bool operator==(const TBarbGlyph&) const = default;
};
TBarbGlyph BarbGlyph(double Knots);

// The outline of a barb as one path in pixels: the staff from Station
// towards the direction the wind comes from (degrees, clockwise from north,
// screen y down), then each mark drawn out and back along itself, pennants
// as triangles. Filled, only the pennants have an area.
std::vector<QPointF> BarbPath(const TBarbGlyph& Glyph, double DirectionDeg, QPointF Station);
// The staff's length in pixels.
inline constexpr double BarbStaff = 26;

// The diagram.
class TSkewT : public QWidget {
    Q_OBJECT
public:
    explicit TSkewT(QWidget* Parent = nullptr);
    ~TSkewT() override;

    // The pressures at the bottom and the top (hPa); refused (false, nothing
    // changes) unless 1100 >= Bottom > Top >= 10.
    bool SetPressureRange(double Bottom, double Top);
    double PressureBottom() const { return bottom_; }
    double PressureTop() const { return top_; }
    void SetColours(QColor Temperature, QColor DewPoint);
    // Smooth (antialiased) lines, as at first; without, a frame costs about
    // a third less to draw and far fewer colours (for GIF pictures).
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool V);

    // The parcel lifted, drawn and shaded; the mixed-layer parcel at first.
    sounding::TParcelKind ParcelKind() const { return kind_; }
    void SetParcelKind(sounding::TParcelKind Kind);

    // Shows a launch (a copy is kept); null or a launch without levels
    // leaves an empty diagram with Note on it.
    void ShowSounding(const TSounding* Sounding, const std::string& Note = "No sounding to show");

    // What is shown, as drawn.
    const sounding::TParcel& Parcel() const { return parcel_; }
    const sounding::TIndices& Indices() const { return indices_; }
    // The pressures between which CAPE and CIN are shaded (bottom, top);
    // empty when nothing is shaded.
    std::optional<std::pair<double, double>> CapeShade() const { return capeShade_; }
    std::optional<std::pair<double, double>> CinShade() const { return cinShade_; }
    struct TShownBarb {
        double Pressure;
        double Knots;
        double Direction;
        QRectF Box;  // pixels
    };
    const std::vector<TShownBarb>& Barbs() const { return barbs_; }
    std::string BoxText() const;
    bool NoteShown() const;

    // The read-out at a point of this widget: "p hPa, h km, T C, Td C,
    // parcel C" (the parts there are), empty outside the diagram.
    std::string ReadoutAt(QPoint Pos) const;
    // The mouse moved over the diagram: ReadoutAt there. Skipped when empty.
    std::function<void(const std::string& Text)> OnHover;
    // The right mouse button was released (at a global position). Skipped
    // when empty.
    std::function<void(QPoint Global)> OnContextMenu;

    TSkewTransform Transform() const { return TSkewTransform(size(), bottom_, top_); }
    // The point of this widget where T (C) at P (hPa) lies.
    QPoint PointOf(double T, double P) const;
    QWidget* MouseSurface() const;

    // Draws what changed now: everything after a new size or range, else
    // the data alone.
    void Redraw();
    // The picture at Size (the widget takes that size).
    QImage RenderToImage(QSize Size);
    // How often the lines behind the data were drawn (for the tests).
    int BackgroundDraws() const { return backgroundDraws_; }

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    void BuildBackground();
    void SyncGeometry();
    void ApplyRanges();
    void UpdateData();
    void UpdateBarbs(const TSkewTransform& T);
    void MouseMove(QMouseEvent* Event);
    QCPCurve* NewCurve(bool Data);

    QCustomPlot* plot_;
    double bottom_ = SkewTPressureBottom;
    double top_ = SkewTPressureTop;
    sounding::TParcelKind kind_ = sounding::TParcelKind::MixedLayer;
    QColor temperatureColour_{255, 0, 0};
    QColor dewPointColour_{0, 128, 0};

    std::vector<QCPCurve*> background_;
    QCPCurve* temperature_ = nullptr;
    QCPCurve* dewPoint_ = nullptr;
    QCPCurve* parcelCurve_ = nullptr;
    QCPCurve* cape_ = nullptr;
    QCPCurve* cin_ = nullptr;
    std::vector<QCPCurve*> barbCurves_;
    std::vector<QCPItemText*> heightLabels_;
    std::vector<double> heightPressures_;
    QCPItemLine* levelTicks_[3] = {};
    QCPItemText* levelLabels_[3] = {};
    QCPItemText* box_ = nullptr;
    QCPItemText* note_ = nullptr;

    // The launch on show, its levels with a pressure in falling pressure.
    TSounding sounding_;
    bool hasSounding_ = false;
    std::vector<double> p_, t_, td_, z_;
    sounding::TParcel parcel_;
    sounding::TIndices indices_;
    std::optional<std::pair<double, double>> capeShade_, cinShade_;
    std::vector<TShownBarb> barbs_;

    QSize drawnSize_;  // the size the whole plot was last drawn at
    QSize barbSize_;   // the size the barbs were laid out for
    bool smooth_ = true;
    bool fullDraw_ = true;
    bool dataDirty_ = true;  // the data's layer waits to be drawn
    int backgroundDraws_ = 0;
};

// The value at P of a profile given at falling pressures Ps (log-pressure
// interpolation); NaN outside it or across a missing value.
double ProfileAt(const std::vector<double>& Ps, const std::vector<double>& Values, double P);

}  // namespace chart
