#include "sounding/Indices.h"

namespace sounding {

TParcel LiftParcel(const TSounding&, TParcelKind Kind, bool, double)
{
    TParcel parcel;
    parcel.Kind = Kind;
    return parcel;
}

TIndices ComputeIndices(const TSounding&) { return {}; }

}  // namespace sounding
