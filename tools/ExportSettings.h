#pragma once
// The exporter's settings: read as the program reads its own at start-up,
// but from a named file (or from the default text alone) and never from the
// exporter's command line.

#include <string>
#include <vector>

class TjtINI_File;

// Loads Ini with Defaults and, when Path is not empty, the file Path (which
// must exist; a relative name is taken from the working directory).
void ReadExportSettings(TjtINI_File& Ini, const std::vector<std::string>& Defaults, const std::string& Path);
