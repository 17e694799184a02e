#pragma once
// The skew-T log-p diagram of one launch: temperature and dew point against
// the logarithm of pressure, the isotherms slanted at 45 degrees, with dry
// and saturated adiabats and mixing-ratio lines behind; the lifted parcel of
// the indices with its CAPE and CIN shaded, its LCL, LFC and EL marked; wind
// barbs in a column at the right; a box with the launch's indices; and the
// launch's hodograph as an inset in a corner of the plot the traces leave
// free (chart/Hodograph.h).
//
// Everything is drawn by QCustomPlot curves that hold skewed coordinates.
// The lines behind the data, the axes and their labels lie in one paint
// buffer that is drawn again only when the size or the pressure range
// changes; a new launch redraws the data's buffer alone.

#include "analysis/Indices.h"
#include "chart/ClimateBand.h"
#include "chart/Hodograph.h"
#include "sounding/Sounding.h"

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCPCurve;
class QCPItemLine;
class QCPItemText;
class QCustomPlot;
class QEvent;
class QMouseEvent;

namespace chart {

// The diagram's size in the window, at 96 pixels per inch.
inline constexpr int SkewTWidth = 700;
inline constexpr int SkewTHeight = 620;

// The default pressure range, hPa.
inline constexpr double SkewTPressureBottom = 1050;
inline constexpr double SkewTPressureTop = 100;

// The smallest diagram whose labels stay apart, pixels.
inline constexpr int SkewTMinimumWidth = 400;
inline constexpr int SkewTMinimumHeight = 440;

// The temperatures at 1000 hPa (C) the diagram always holds across; a
// launch whose traces leave them widens them in steps of 10 C.
inline constexpr double SkewTSpanLow = -40;
inline constexpr double SkewTSpanHigh = 50;

// Where the diagram places a temperature T (C) at a pressure P (hPa): at
// X = T + Skew * ln(1000 / P) across and Y = ln(1000 / P) up. Skew makes the
// isotherms run at 45 degrees. The pressure range and the span of X from
// SpanLow to SpanHigh (the temperatures at 1000 hPa) fit the plotted area
// at the largest scale that holds both; the width left over shows more
// temperatures on both sides, the height left over is a blank margin above
// and below.
class TSkewTransform {
public:
    // Margins around the plotted area, in pixels: the left and bottom hold
    // the labels, the top room for the barbs of the highest levels.
    static constexpr int MarginLeft = 60;
    static constexpr int MarginRight = 8;
    static constexpr int MarginTop = 30;
    static constexpr int MarginBottom = 40;
    // The temperatures across the bottom at the default size, where the
    // skew is defined.
    static constexpr double DefaultSpan = 100;

    // The skew: one degree across takes as many pixels as 1/Skew of ln(p)
    // up.
    static double Skew();

    // Reserve: pixels kept free beside the margins (for the index box).
    TSkewTransform(QSize Size, double PressureBottom, double PressureTop, double SpanLow = SkewTSpanLow,
                   double SpanHigh = SkewTSpanHigh, QMargins Reserve = QMargins());

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
    // The lowest pressure in view: the top.
    double ShownTop() const { return 1000.0 / std::exp(yMax_); }
    double SpanLow() const { return spanLow_; }
    double SpanHigh() const { return spanHigh_; }

    // Pixels of a diagram point, and back.
    QPointF PixelOf(double X, double Y) const;
    QPointF Pixel(double T, double P) const { return PixelOf(X(T, P), Y(P)); }
    double XAt(double PixelX) const;
    double YAt(double PixelY) const;
    double PressureAt(double PixelY) const;
    double TemperatureAt(QPointF Pixel) const;
    // Pixels per degree across (and per 1/Skew of ln p up).
    double PixelsPerDegree() const { return area_.width() / (xMax_ - xMin_); }

private:
    QRect area_;
    double bottom_, top_, spanLow_, spanHigh_;
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
// South of the equator the marks stand on the other side of the staff.
std::vector<QPointF> BarbPath(const TBarbGlyph& Glyph, double DirectionDeg, QPointF Station, bool South = false);
// The staff's length in pixels.
inline constexpr double BarbStaff = 26;

class TBarbLayer;
class THodographLayer;

// The diagram.
class TSkewT : public QWidget {
    Q_OBJECT
public:
    explicit TSkewT(QWidget* Parent = nullptr);
    ~TSkewT() override;

    // The pressures at the bottom and the top (hPa); refused (false, nothing
    // changes) unless 1100 >= Bottom > Top >= 1.
    bool SetPressureRange(double Bottom, double Top);
    double PressureBottom() const { return bottom_; }
    double PressureTop() const { return top_; }
    void SetColours(QColor Temperature, QColor DewPoint);
    // Smooth (antialiased) lines, as at first; without, a frame costs about
    // a third less to draw and far fewer colours (for GIF pictures).
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool V);

    // A station south of the equator: its barbs are drawn the southern way
    // (the marks on the other side of the staff). False at first.
    bool Southern() const { return southern_; }
    void SetSouthern(bool V);

    // The parcel lifted, drawn and shaded; the mixed-layer parcel at first.
    sounding::TParcelKind ParcelKind() const { return kind_; }
    void SetParcelKind(sounding::TParcelKind Kind);

    // Shows a launch (a copy is kept); null or a launch without levels
    // leaves an empty diagram with Note on it.
    void ShowSounding(const TSounding* Sounding, const std::string& Note = "No sounding to show");

    // The climatology of temperature and dew point behind their traces:
    // each band's Height holds pressures (hPa, falling). Empty bands hide
    // them.
    void SetClimateBands(const TClimateBand& Temperature, const TClimateBand& DewPoint);
    bool ClimateBandsShown() const;

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
    // The index box: the launch's title, the parcel lifted (named, with
    // where it starts), its CAPE, CIN, lifted index, LCL, LFC and EL, and
    // the K index, totals totals and precipitable water, then the 0-6 km
    // bulk shear with the STP and the 0-1 km helicity (right mover, as the
    // CSV files give it) with the SCP, a line each. It
    // stands beside the plot (right of it in a wide diagram, above it in a
    // narrow one, whichever leaves the plot larger), never over it.
    std::string BoxText() const;
    bool BoxShown() const { return boxShown_; }
    void SetBoxShown(bool V);
    // Where the box stands, pixels (empty when hidden or without a launch).
    QRect BoxRect() const;
    bool NoteShown() const;
    // The hodograph of the launch on show, and where its inset stands
    // (pixels; empty without a launch). The inset is about a quarter of the
    // diagram wide, in the first corner of the plot no trace (temperature,
    // dew point, parcel, the parcel's level names) runs through: the upper
    // right (right of the barbs when they leave room there, else left of
    // them), the upper left, the lower left, the lower right; where every
    // corner is crossed, the corner crossed least.
    const THodographData& Hodograph() const { return hodograph_; }
    QRect HodographRect() const;
    // The temperatures at 1000 hPa held across for the launch on show.
    double SpanLow() const { return spanLow_; }
    double SpanHigh() const { return spanHigh_; }
    // The mixed layer the mixed-layer parcel stands for, marked beside its
    // start (bottom, top, hPa); empty for the other parcels.
    std::optional<std::pair<double, double>> MixedLayerMark() const { return layerMark_; }

    // The read-out at a point of this widget, two lines: the launch at that
    // pressure "p hPa, h km, T C, Td C, parcel C, wind ddd/ff kt" (the parts
    // there are), then the point itself "cursor T C, theta K, mixing ratio
    // g/kg" (saturated at the point); empty outside the diagram.
    std::string ReadoutAt(QPoint Pos) const;
    // The mouse moved over the diagram, or what it shows changed under a
    // still mouse: ReadoutAt there. Skipped when empty.
    std::function<void(const std::string& Text)> OnHover;
    // The right mouse button was released (at a global position). Skipped
    // when empty.
    std::function<void(QPoint Global)> OnContextMenu;

    TSkewTransform Transform() const;
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
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // Where the box goes at the present size.
    struct TBoxLayout {
        bool Above = false;           // else right of the plot
        QMargins Reserve;             // kept free for it beside the margins
        std::vector<int> FirstOfRow;  // the first line of each row
    };
    const TBoxLayout& BoxLayout() const;
    std::vector<std::string> BoxLines() const;
    void PlaceBox(const TSkewTransform& T);
    void FitSpan();
    void UpdateLayerMark(const TSkewTransform& T);
    void HoverAgain();
    void AddLevel(const TSoundingLevel& L);
    void CreateItems();
    void BuildBackground();
    void SyncGeometry();
    void ApplyRanges();
    void UpdateData();
    void UpdateBarbs(const TSkewTransform& T);
    double BarbColumn(const TSkewTransform& T) const;
    void PlaceHodograph(const TSkewTransform& T);
    std::vector<std::vector<QPointF>> Obstacles(const TSkewTransform& T) const;
    void MouseMove(QMouseEvent* Event);
    QCPCurve* NewCurve(bool Data);
    void CreateBands();

    QCustomPlot* plot_;
    double bottom_ = SkewTPressureBottom;
    double top_ = SkewTPressureTop;
    sounding::TParcelKind kind_ = sounding::TParcelKind::MixedLayer;
    QColor temperatureColour_{255, 0, 0};
    QColor dewPointColour_{0, 128, 0};

    std::vector<QCPCurve*> background_;
    // Outer and inner band and median of temperature, then of dew point.
    std::vector<QCPCurve*> bands_;
    QCPCurve* temperature_ = nullptr;
    QCPCurve* dewPoint_ = nullptr;
    QCPCurve* parcelCurve_ = nullptr;
    QCPCurve* cape_ = nullptr;
    QCPCurve* cin_ = nullptr;
    TBarbLayer* barbLayer_ = nullptr;
    THodographLayer* hodographLayer_ = nullptr;
    std::vector<QCPItemText*> heightLabels_;
    std::vector<double> heightPressures_;
    QCPItemLine* levelTicks_[3] = {};
    QCPItemText* levelLabels_[3] = {};
    QCPItemText* box_ = nullptr;
    QCPItemText* note_ = nullptr;
    QCPCurve* layerCurve_ = nullptr;
    QCPItemText* layerLabel_ = nullptr;
    bool boxShown_ = true;
    double spanLow_ = SkewTSpanLow;
    double spanHigh_ = SkewTSpanHigh;
    std::optional<std::pair<double, double>> layerMark_;
    // The box's layout, kept for the size, range, span and box it was made for.
    mutable TBoxLayout boxLayout_;
    mutable std::vector<double> boxLayoutKey_;
    // The view the lines behind were built for (XMin, XMax, YMin, YMax).
    std::vector<double> builtView_;
    std::optional<QPoint> hoverAt_;  // the mouse over the diagram, this widget's pixels

    // The launch on show, its levels with a pressure in falling pressure.
    TSounding sounding_;
    bool hasSounding_ = false;
    std::vector<double> p_, t_, td_, z_;
    // The levels with wind, in falling pressure: u and v (m/s).
    std::vector<double> windP_, windU_, windV_;
    sounding::TParcel parcel_;
    sounding::TIndices indices_;
    std::optional<std::pair<double, double>> capeShade_, cinShade_;
    std::vector<TShownBarb> barbs_;
    THodographData hodograph_;

    QSize drawnSize_;  // the size the whole plot was last drawn at
    QSize barbSize_;   // the size the barbs were laid out for
    bool smooth_ = true;
    bool southern_ = false;
    bool fullDraw_ = true;
    bool dataDirty_ = true;  // the data's layer waits to be drawn
    int backgroundDraws_ = 0;
};

// The value at P of a profile given at falling pressures Ps (log-pressure
// interpolation); NaN outside it or across a missing value.
double ProfileAt(const std::vector<double>& Ps, const std::vector<double>& Values, double P);

}  // namespace chart
