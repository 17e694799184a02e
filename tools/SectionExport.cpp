#include "tools/SectionExport.h"

#include "components/jtSysUtils.h"
#include "movie/MovieExport.h"
#include "movie/SectionPicture.h"
#include "movie/SoundingChart.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "tools/ExportSettings.h"

#include <QImage>

namespace {

constexpr int kAnomalyMinYears = 5;

// The section's top as the settings make it, read as the year window reads
// it ([Year] HeightMax).
double SettingsHeightMax(const TExportSettings& Settings)
{
    try {
        return SectionHeightMax(Settings.Values());
    } catch (const Exception& e) {
        throw Exception("settings" + Settings.Where() + ": " + e.Message());
    }
}

}  // namespace

void WriteSectionTarget(const ExportOptions& Options, const TExportSettings& Settings, const TLapseRates& Set,
                        const ExportTarget& Target, const sounding::TClimatology* Anomaly)
{
    // RunExport has refused a target that is one of the inputs or the
    // settings, by any name.
    std::string name = Options.Inputs.empty() ? std::string() : platform::NameOf(Options.Inputs.front());
    if (Options.Inputs.size() > 1) name += " + " + std::to_string(Options.Inputs.size() - 1) + " more";
    const double top = SettingsHeightMax(Settings);
    if (Anomaly && Anomaly->Years() < kAnomalyMinYears)
        throw Exception("--anomaly needs a climatology of at least " + std::to_string(kAnomalyMinYears) +
                        " years; the launches span " + std::to_string(Anomaly->Years()));
    const QImage picture =
        RenderSectionPicture(Set.Soundings, top, QSize(Options.Width, Options.Height), name, Anomaly);
    if (picture.isNull()) throw Exception("cannot draw the section");
    platform::FileError error;
    if (!platform::ReplaceFile(Target.Path, EncodePng(picture), error))
        throw Exception("cannot write '" + Target.Path + "': " + error.Message);
}
