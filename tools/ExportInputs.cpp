#include "tools/ExportInputs.h"

#include "sounding/LapseRates.h"
#include "sounding/SoundingSet.h"

bool ReadsAsStationInputs(const ExportOptions& Options)
{
    return Options.Inputs.size() > 1 || (Options.Inputs.size() == 1 && IsStationFile(Options.Inputs.front()));
}

TSoundingSet ReadStationInputs(const ExportOptions& Options, TLapseRates& Set)
{
    TSoundingSet read = ReadSoundingFiles(Options.Inputs);
    if (read.Ok()) Set.SetSoundings(std::move(read.Soundings));
    return read;
}

bool ApplyDateOptions(const ExportOptions& Options, TLapseRates& Set)
{
    if (Options.FromDate.empty() && Options.ToDate.empty()) return true;
    Set.SetSoundings(FilterByDate(std::move(Set.Soundings), Options.FromDate, Options.ToDate));
    return Set.Count() > 0;
}
