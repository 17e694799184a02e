#pragma once
// The hodograph of one launch: the wind's components from the ground up to
// 10 km above it as a line, coloured by layer (0-1, 1-3, 3-6 and 6-10 km,
// with a small legend), on rings every 10 kt; the right and left movers
// (RM, LM) and the 0-6 km mean wind (MW) as labelled markers; and the area
// swept between the right mover and the line over the effective inflow
// layer (its storm-relative helicity) shaded lightly.
//
// Drawn with a plain painter: the skew-T diagram shows it as an inset, the
// exporter alone as a picture of its own.

#include "analysis/Indices.h"
#include "sounding/Sounding.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>

#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace chart {

// One wind of the line: height above ground (m), components (m/s, u
// towards the east, v towards the north).
struct THodographPoint {
    double Height = 0;
    double U = 0;
    double V = 0;
};

// A wind as a point of the hodograph (m/s).
struct THodographWind {
    double U = 0;
    double V = 0;
};

// What a hodograph shows; every part may be missing.
struct THodographData {
    std::string Title;                    // heads the picture of its own
    std::vector<THodographPoint> Points;  // rising heights, from 0 m to at most HodographTop
    std::optional<THodographWind> RightMover, LeftMover, MeanWind;
    std::optional<double> EffectiveBase, EffectiveTop;  // m above ground
    // South of the equator the left mover is the cyclonic one: its marker is
    // drawn filled instead of the right mover's.
    bool Southern = false;
};

// The top of the line, m above ground.
inline constexpr double HodographTop = 10000;
// The tops of the layers the line is coloured by, m above ground.
inline constexpr double HodographLayerTops[] = {1000, 3000, 6000, 10000};
inline constexpr int HodographLayers = 4;
// The colour of layer I (0: 0-1 km .. 3: 6-10 km).
QColor HodographLayerColour(int Layer);

// The hodograph of a launch from its winds and kinematics (Indices as
// ComputeIndices gives them); Southern for a station south of the equator.
THodographData HodographOf(const TSounding& Sounding, const sounding::TIndices& Indices, bool Southern = false);

// The wind at Height, linear in height between the points; empty outside
// them.
std::optional<THodographWind> HodographWindAt(const std::vector<THodographPoint>& Points, double Height);

// Draws the hodograph filling Box on an opaque background with a frame;
// Smooth draws its lines antialiased. Without points it says so.
void PaintHodograph(QPainter& Painter, const QRectF& Box, const THodographData& Data, bool Smooth = true);

// The hodograph alone, at Size: the title above it.
QImage RenderHodograph(const THodographData& Data, QSize Size);

// Where an inset of Size goes in a diagram: the first of Candidates (their
// top-left corners) whose rectangle, widened by Gap, no trace (polylines in
// pixels) runs through; when every one is crossed, the one crossed least.
// Empty without candidates.
std::optional<QRectF> PlaceInset(const std::vector<QPointF>& Candidates, QSizeF Size,
                                 const std::vector<std::vector<QPointF>>& Traces, double Gap = 4);
// The length of the polyline Trace inside Rect (pixels).
double LengthInside(const std::vector<QPointF>& Trace, const QRectF& Rect);

}  // namespace chart
