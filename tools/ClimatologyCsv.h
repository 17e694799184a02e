#pragma once
// A station climatology as CSV: "hour,quantity,day,height,count,p10,p25,
// p50,p75,p90", for each launch group with launches (hour 00, then 12) the
// temperature and the dew point per day and height (0 .. 20000 m by 250
// m), then each column of the indices and of the levels per day (height
// empty); percentiles to 0.1, empty where the count is below 20.

#include "analysis/Climatology.h"
#include "tools/CsvExport.h"

#include <string>

bool WriteClimatologyCsv(const sounding::TClimatology& Climatology, const TCsvSink& Sink);
std::string ClimatologyToCsv(const sounding::TClimatology& Climatology);
