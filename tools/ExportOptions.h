#pragma once
// The command line of profilora-export: one page and the outputs wanted
// from it. Each output format is one switch; a new format is one more entry
// in the switch table and one more writer.

#include <string>
#include <vector>

enum class ExportFormat { Csv };

struct ExportTarget {
    ExportFormat Format = ExportFormat::Csv;
    std::string Path;  // empty: standard output
};

struct ExportOptions {
    std::string PagePath;
    std::vector<ExportTarget> Targets;
    bool Help = false;
};

// Fills Options from the arguments (without the program name). The result is
// empty when the arguments are usable, else a one-line description of what is
// wrong with them.
std::string ParseExportArguments(const std::vector<std::string>& Args, ExportOptions& Options);

// The help text.
std::string ExportUsage();
