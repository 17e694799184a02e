#pragma once
// The hodographs of a page as the exporter draws them alone, one frame per
// sounding (the skew-T diagram's inset at a size of its own).

#include "movie/SoundingChart.h"
#include "sounding/LapseRates.h"

#include <QImage>
#include <QSize>

#include <functional>

namespace movie {

class THodographPictures : public TFramePictures {
public:
    explicit THodographPictures(const TLapseRates& Rates) : rates_(Rates) {}

    int FrameCount() const override { return rates_.Count(); }
    // The hodograph of sounding K (clamped into the page); an empty one
    // without soundings.
    QImage RenderFrame(int K, QSize Size) override;

    // Whether a sounding's station lies south of the equator (its left
    // mover marked as the cyclonic one); none: all north.
    std::function<bool(const TSounding&)> SouthOf;

private:
    const TLapseRates& rates_;
};

}  // namespace movie
