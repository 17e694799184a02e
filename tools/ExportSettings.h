#pragma once
// The exporter's settings: the file --settings names (or the default text
// alone), read once for the whole run, as the program reads its own at
// start-up but never from the exporter's command line, and handed to every
// output that takes values from it: the archive's address, the chart's axis
// ranges, profiles and colours, the frame interval, the section's height and
// the skew-T range.

#include "components/ProgramSettings.h"

#include <memory>
#include <string>
#include <vector>

class TjtINI_File;

class TExportSettings {
public:
    // Reads Path (a relative name is taken from the working directory; empty:
    // the built-in values alone). A file that cannot be read raises Exception
    // "cannot read settings 'PATH': why", a value refused "settings 'PATH':
    // why".
    explicit TExportSettings(const std::string& Path);

    const settings::TProgramSettings& Values() const { return values_; }
    // The same settings as the chart reads them; null in an exporter built
    // without pictures.
    TjtINI_File* Chart() const { return chart_.get(); }
    // " 'PATH'", or "" for the built-in values: for messages.
    const std::string& Where() const { return where_; }

private:
    std::string where_;
    std::shared_ptr<TjtINI_File> chart_;
    settings::TProgramSettings values_;
};
