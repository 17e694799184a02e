#pragma once
// The quantities a launch gives, each described once: its CSV column, its
// row in the indices window, its unit, its decimals and where it comes
// from. The CSV files, the indices window and the skew-T box read these
// tables, so that a new column is a line here (besides its computation).

#include "analysis/DerivedLevels.h"
#include "analysis/Indices.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sounding {

// Where the indices window lists a quantity: among the stability indices,
// or in the group of the wind (speeds there also in knots).
enum class TQuantityGroup : unsigned char { Stability, Wind };

// One quantity taken from Source (TIndices or TDerivedLevels).
template <typename Source>
struct TQuantity {
    const char* Column;  // the CSV column
    const char* Label;   // the row of the indices window
    const char* Unit;    // "" for a plain number
    int Decimals;        // in the CSV files and the window alike
    bool Listed;         // a row of the indices window
    std::optional<double> (*Of)(const Source&);
    TQuantityGroup Group = TQuantityGroup::Stability;
};

using TIndexQuantity = TQuantity<TIndices>;
using TLevelQuantity = TQuantity<TDerivedLevels>;

// The indices in the order of the Wyoming list, then the parcels
// forecasters add, then the wind's shear, storm motion, helicity and
// composites (all listed in the window).
std::span<const TIndexQuantity> IndexQuantities();
// The derived levels; the window lists some of them after the indices.
std::span<const TLevelQuantity> LevelQuantities();

// The index of Column; null when there is none.
const TIndexQuantity* IndexQuantity(std::string_view Column);

// The parcel's name as the skew-T box heads it ("Mixed-layer parcel").
const char* ParcelName(TParcelKind Kind);

// "sounding,title" and the columns of Quantities, comma-separated, without
// a line end.
template <typename Source>
std::string CsvHeader(std::span<const TQuantity<Source>> Quantities)
{
    std::string header = "sounding,title";
    for (const TQuantity<Source>& q : Quantities) (header += ',') += q.Column;
    return header;
}

}  // namespace sounding
