#pragma once
// The exporter's outputs of a whole page: the time-height section as a PNG
// picture (--section) and the derived levels of each sounding as CSV
// (--levels). Each is written through the one file-replacing helper:
// nothing is left under the name unless it was written completely.

#include "sounding/LapseRates.h"
#include "tools/ExportOptions.h"

// Writes one --section or --levels target. The section reaches up to the
// altitude maximum of the settings the pictures use (--settings or the
// built-in ones) and has the size of --size. Failures raise Exception; the
// section needs a widget application.
void WriteSectionTarget(const ExportOptions& Options, const TLapseRates& Set, const ExportTarget& Target);
