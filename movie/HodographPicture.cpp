#include "movie/HodographPicture.h"

#include "analysis/Indices.h"
#include "chart/Hodograph.h"

#include <algorithm>

namespace movie {

QImage THodographPictures::RenderFrame(int K, QSize Size)
{
    const int count = rates_.Count();
    if (count < 1) return chart::RenderHodograph(chart::THodographData{}, Size);
    const TSounding& s = rates_.Soundings[std::size_t(std::clamp(K, 0, count - 1))];
    return chart::RenderHodograph(chart::HodographOf(s, sounding::ComputeIndices(s), SouthOf && SouthOf(s)), Size);
}

}  // namespace movie
