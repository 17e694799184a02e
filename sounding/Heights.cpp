#include "sounding/Heights.h"

void ComputeHeights(TSounding& Sounding)
{
    for (TSoundingLevel& level : Sounding.Levels) level.Altitude = level.Height;
}
