#pragma once
// The exporter's picture of a whole page: the time-height section as a PNG
// (--section), written through the one file-replacing helper: nothing is
// left under the name unless it was written completely. (The derived levels
// of each sounding, --levels, are text: tools/LevelsCsv.)

#include "analysis/Climatology.h"
#include "sounding/LapseRates.h"
#include "tools/ExportOptions.h"

class TExportSettings;

// Writes one --section target. The section reaches up to the height
// maximum of the run's settings (--settings or the built-in ones) and has
// the size of --size. Failures raise Exception; the section needs a widget
// application. With a climatology (of at least 5 years) the cells show
// their anomaly from its daily medians.
void WriteSectionTarget(const ExportOptions& Options, const TExportSettings& Settings, const TLapseRates& Set,
                        const ExportTarget& Target, const sounding::TClimatology* Anomaly = nullptr);
