#include "tools/Export.h"

#include "components/ProgramSettings.h"
#include "download/StationCache.h"
#include "download/StationElevations.h"
#include "components/jtSysUtils.h"
#include "platform/MappedFile.h"
#include "platform/OutputTarget.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "sounding/LapseRates.h"
#include "tools/ClimatologyCsv.h"
#include "tools/CsvExport.h"
#include "tools/ExportInputs.h"
#include "tools/ExportOptions.h"
#include "tools/ExportSettings.h"
#include "tools/IndicesCsv.h"
#include "tools/LevelsCsv.h"

// Without the desktop libraries the exporter writes text (CSV) only.
#ifdef PROFILORA_EXPORT_PICTURES
#include "components/jtINI_File.h"
#include "movie/HodographPicture.h"
#include "movie/MovieExport.h"
#include "movie/SkewTPicture.h"
#include "movie/SoundingChart.h"
#include "tools/SectionExport.h"

#include <QApplication>
#endif

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>

#include <unistd.h>

namespace {

constexpr const char* kProgram = "profilora-export: ";

// A message for a terminal: the line breaks of a message box without their
// carriage returns.
std::string WithoutCarriageReturns(const std::string& Text)
{
    std::string text;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') continue;
        text += Text[i];
    }
    return text;
}

#ifdef PROFILORA_EXPORT_PICTURES
// The frame interval of the window's spin edit: 1 to 1000 ms.
constexpr int kSpinMin = 1;
constexpr int kSpinMax = 1000;

// Widgets need an application object; a tool run from a terminal (or a
// script without a display) draws offscreen unless told otherwise.
class PictureApplication {
public:
    PictureApplication()
    {
        if (QCoreApplication::instance()) {
            if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
                throw Exception("pictures need a widget application");
            return;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "profilora-export";
        static char* argv[] = {name, nullptr};
        own_ = std::make_unique<QApplication>(argc, argv);
    }

private:
    std::unique_ptr<QApplication> own_;
};

// The chart of the window, as its settings and the chosen series make it.
class PictureJob {
public:
    PictureJob(const ExportOptions& Options, const TExportSettings& Settings, TLapseRates& Set, std::ostream& Err)
        : renderer_(chart_, Set), err_(Err)
    {
        chart_.resize(Options.Width, Options.Height);
        SetupChart1(chart_);
        try {
            ReadChartSettings(*Settings.Chart(), chart_);
            if (Options.View == ExportView::SkewT) {
                auto skewT = std::make_unique<movie::TSkewTPictures>(Settings.Values(), chart_, Set);
                skewT->SouthOf = download::SouthOfEquator;
                views_ = std::move(skewT);
            } else if (Options.View == ExportView::Hodograph) {
                auto hodograph = std::make_unique<movie::THodographPictures>(Set);
                hodograph->SouthOf = download::SouthOfEquator;
                views_ = std::move(hodograph);
            }
        } catch (const Exception& e) {
            throw Exception("settings" + Settings.Where() + ": " + e.Message());
        }
        ApplySeriesChoice(chart_, Options.Series);

        const int count = Set.Count();
        span_.First = Options.From >= 0 ? Options.From : 0;
        span_.Last = Options.To >= 0 ? Options.To : count - 1;
        span_.Size = QSize(Options.Width, Options.Height);
        if (span_.First >= count || span_.Last >= count)
            throw Exception("frames " + std::to_string(span_.First) + " to " + std::to_string(span_.Last) +
                            " are not on the page; its frames are 0 to " + std::to_string(count - 1));

        delayMs_ =
            Options.Ms > 0 ? Options.Ms : std::clamp(int(Settings.Values().IntervalMs(kSpinMin)), kSpinMin, kSpinMax);
    }

    void Write(const ExportTarget& Target)
    {
        const TExportProgress progress = [this, &Target](int Done, int Total) {
            // About twenty lines for a long export, and always the last.
            const int step = std::max(1, Total / 20);
            if (Done % step == 0 || Done == Total)
                err_ << kProgram << Target.Path << ": frame " << Done << " of " << Total << '\n' << std::flush;
            return true;
        };
        TFramePictures& pictures = views_ ? *views_ : static_cast<TFramePictures&>(renderer_);
        if (Target.Format == ExportFormat::Png)
            ExportPngFrames(pictures, span_, Target.Path, progress);
        else
            ExportGifMovie(pictures, span_, delayMs_, Target.Path, progress);
    }

private:
    TChart chart_;
    TFrameRenderer renderer_;
    std::unique_ptr<TFramePictures> views_;  // --view skewt or hodograph
    TFrameSpan span_;
    int delayMs_ = kSpinMin;
    std::ostream& err_;
};

#endif

// The files the outputs are made from: every input and the settings.
std::vector<std::string> InputFiles(const ExportOptions& Options)
{
    std::vector<std::string> inputs = Options.Inputs;
    if (!Options.SettingsPath.empty()) inputs.push_back(Options.SettingsPath);
    if (ClimatologyFromFile(Options)) inputs.push_back(Options.ClimatologyFrom);
    return inputs;
}

// Flushes standard output; false, told on Err, when it could not be
// written.
bool Flushed(std::ostream& Out, std::ostream& Err)
{
    Out.flush();
    if (Out) return true;
    Err << kProgram << "cannot write to standard output\n";
    return false;
}

// Tells on Err that the file at Path could not be written; false.
bool CannotWrite(const std::string& Path, const platform::FileError& Error, std::ostream& Err)
{
    Err << kProgram << "cannot write '" << Path << "': " << Error.Message << '\n';
    return false;
}

// A CSV text, written piece by piece as Write formats it: to standard output
// (an empty path) or to a file.
bool WriteCsv(const std::string& Path, const std::function<bool(const TCsvSink&)>& Write, std::ostream& Out,
              std::ostream& Err)
{
    if (Path.empty()) {
        Write([&Out](std::string_view Piece) {
            Out.write(Piece.data(), static_cast<std::streamsize>(Piece.size()));
            return bool(Out);
        });
        return Flushed(Out, Err);
    }
    platform::TReplacement file;
    platform::FileError error;
    return (file.Open(Path, error) && Write([&](std::string_view Piece) { return file.Write(Piece, error); }) &&
            file.Commit(error)) ||
           CannotWrite(Path, error, Err);
}

// Runs Work; an error that leaves it is told on Err, and the result is
// false.
template <typename Work>
bool Told(std::ostream& Err, Work&& W)
{
    try {
        W();
        return true;
    } catch (const Exception& e) {
        Err << kProgram << e.Message() << '\n';
    } catch (const std::exception& e) {
        Err << kProgram << e.what() << '\n';
    }
    return false;
}

// Tells the launches left out, one line each, and their number.
void TellSkipped(const TSoundingSet& Read, std::ostream& Err)
{
    for (const std::string& warning : Read.Warnings) Err << kProgram << warning << '\n';
    if (Read.Skipped > 0)
        Err << kProgram << Read.Skipped << (Read.Skipped == 1 ? " launch" : " launches") << " skipped\n";
}

// The files the outputs would write, for a page of Count soundings; standard
// output is none of them.
std::vector<std::string> OutputFiles(const ExportOptions& Options, int Count)
{
    std::vector<std::string> outputs;
    for (const ExportTarget& target : Options.Targets) {
        if (target.Path.empty()) continue;
        if (target.Format != ExportFormat::Png) {
            outputs.push_back(target.Path);
            continue;
        }
        const std::string prefix = target.Path.back() == '/' ? target.Path : target.Path + "/";
        const int first = std::max(Options.From, 0);
        const int last = Options.To >= 0 ? std::min(Options.To, Count - 1) : Count - 1;
#ifdef PROFILORA_EXPORT_PICTURES
        for (int k = first; k <= last; ++k) outputs.push_back(prefix + FrameFileName(k));
#else
        (void)first;
        (void)last;
#endif
    }
    return outputs;
}

// --clear-cache: the cache's own files removed, told on standard error.
bool ClearDownloadCache(std::ostream& Err)
{
    std::string directory, error;
    if (!download::FindCacheDirectory(directory, error) || !download::ClearCache(directory, error)) {
        Err << kProgram << "cannot clear the download cache: " << error << '\n';
        return false;
    }
    Err << kProgram << "the download cache (" << directory << ") is empty\n";
    return true;
}

// The program's objects that live through a run: the widget application
// and the chart of the pictures, and the event loop of the downloads.
struct ExportRun {
#ifdef PROFILORA_EXPORT_PICTURES
    // The pictures are drawn by one chart for all picture outputs.
    std::unique_ptr<PictureApplication> application;
    std::unique_ptr<PictureJob> pictures;
#endif
    std::unique_ptr<QCoreApplication> eventLoop;
    // The settings, read once when first wanted.
    std::unique_ptr<TExportSettings> settings;
    // Made once for every --climatology.
    std::optional<sounding::TClimatology> climatology;
};

// The run's settings, read when first wanted; raises Exception when they
// cannot be read.
const TExportSettings& SettingsOf(const ExportOptions& Options, ExportRun& Run)
{
    if (!Run.settings) Run.settings = std::make_unique<TExportSettings>(Options.SettingsPath);
    return *Run.settings;
}

// The options of Args; the exit code when the run ends here (help, a
// refused option, a cache cleared with nothing else to do).
std::optional<int> ParseOptions(const std::vector<std::string>& Args, ExportOptions& Options, std::ostream& Out,
                                std::ostream& Err)
{
    const std::string problem = ParseExportArguments(Args, Options);
    if (Options.Help) {
        Out << ExportUsage();
        return kExportDone;
    }
    if (!problem.empty()) {
        Err << kProgram << problem << "\n\n" << ExportUsage();
        return kExportFailed;
    }
    if (Options.ClearCache && !ClearDownloadCache(Err)) return kExportFailed;
    if (Options.ClearCache && Options.Inputs.empty() && Options.Stations.empty() && Options.Targets.empty())
        return kExportDone;
#ifndef PROFILORA_EXPORT_PICTURES
    for (const ExportTarget& target : Options.Targets) {
        if (target.Format != ExportFormat::Csv && target.Format != ExportFormat::Levels &&
            target.Format != ExportFormat::Indices && target.Format != ExportFormat::Climatology) {
            Err << kProgram
                << "this profilora-export was built without the desktop libraries and writes "
                   "--csv, --levels, --indices and --climatology only\n";
            return kExportFailed;
        }
    }
#endif
    return std::nullopt;
}

// Stations are downloaded in an event loop, which needs an application
// object: the pictures' own when there will be pictures. False, told on Err,
// when there can be none.
bool MakeEventLoop(const ExportOptions& Options, ExportRun& Run, std::ostream& Err)
{
#ifndef PROFILORA_EXPORT_PICTURES
    (void)Options;
#endif
    return Told(Err, [&] {
#ifdef PROFILORA_EXPORT_PICTURES
        if (Options.WantsPictures() && !Run.application) Run.application = std::make_unique<PictureApplication>();
#endif
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "profilora-export";
            static char* argv[] = {name, nullptr};
            Run.eventLoop = std::make_unique<QCoreApplication>(argc, argv);
        }
    });
}

// Downloads the stations the options name; false, told on Err, when that
// failed.
bool FetchStations(ExportOptions& Options, ExportRun& Run, std::ostream& Err)
{
    std::string base;
    return MakeEventLoop(Options, Run, Err) &&
           Told(Err, [&] { base = SettingsOf(Options, Run).Values().IgraBase(); }) &&
           FetchStationInputs(Options, base, Err, ::isatty(2) == 1);
}

// The climatology --climatology writes: of --climatology-from, else of the
// launches read; made at the first --climatology. Null, told on Err, when
// it cannot be had.
const sounding::TClimatology* ClimatologyFor(const ExportOptions& Options, const TLapseRates& Set, ExportRun& Run,
                                             std::ostream& Err)
{
    if (Run.climatology) return &*Run.climatology;
    std::string base;
    if (Options.ClimatologyFrom.empty())
        Run.climatology = sounding::BuildClimatology(Set.Soundings);
    else if (ClimatologyFromFile(Options))
        Run.climatology = ClimatologyOfOption(Options, base, Err, ::isatty(2) == 1);
    else if (MakeEventLoop(Options, Run, Err) &&
             Told(Err, [&] { base = SettingsOf(Options, Run).Values().IgraBase(); }))
        Run.climatology = ClimatologyOfOption(Options, base, Err, ::isatty(2) == 1);
    return Run.climatology ? &*Run.climatology : nullptr;
}

// The bytes of a sounding page: the file mapped as it is, or, where it
// cannot be mapped, read into memory (which also tells why it cannot be
// read).
class TPageBytes {
public:
    // False, told on Err, when the file cannot be read.
    bool Read(const std::string& Path, std::ostream& Err)
    {
        platform::FileError error;
        mapped_ = platform::files().MapFile(Path, error);
        if (mapped_) return true;
        if (platform::files().ReadAll(Path, text_, error)) return true;
        Err << kProgram << error.Message << '\n';
        return false;
    }
    std::string_view Bytes() const { return mapped_ ? mapped_->Bytes() : std::string_view(text_); }

private:
    std::unique_ptr<platform::Mapping> mapped_;
    std::string text_;
};

// Reads the inputs into Set, narrowed to the options' dates; the exit code
// when the run ends here.
std::optional<int> ReadInputs(const ExportOptions& Options, TLapseRates& Set, std::ostream& Err)
{
    // Station files, Wyoming pages and several files go to the station-file
    // readers; one sounding page (or other content) is read as a page.
    const bool stationInputs = ReadsAsStationInputs(Options);
    TPageBytes page;
    if (!stationInputs && !page.Read(Options.PagePath, Err)) return kExportFailed;
    // The whole page is read before anything is written, so a failure
    // leaves no half-written output behind.
    TPageLoad loaded = TPageLoad::Read;
    std::optional<TSoundingSet> read;
    if (!Told(Err, [&] {
            if (stationInputs)
                read = ReadStationInputs(Options, Set);
            else
                loaded = Set.LoadPage(page.Bytes());
        }))
        return kExportFailed;
    if (read) {
        TellSkipped(*read, Err);
        if (!read->Ok()) {
            Err << kProgram << read->Error << '\n';
            return read->NoData ? kExportNoData : kExportFailed;
        }
        if (Options.Strict && read->Skipped > 0) {
            Err << kProgram << "--strict: nothing written\n";
            return kExportFailed;
        }
    }
    if (loaded == TPageLoad::MissingData) {
        Err << kProgram << kMissingDataCaption << ": " << WithoutCarriageReturns(kMissingDataText) << '\n';
        return kExportNoData;
    }
    if (!ApplyDateOptions(Options, Set)) {
        Err << kProgram << "no sounding was launched from "
            << (Options.FromDate.empty() ? "the first" : Options.FromDate) << " to "
            << (Options.ToDate.empty() ? "the last" : Options.ToDate) << '\n';
        return kExportNoData;
    }
    // The same page ends the same way whatever the outputs.
    if (Set.Count() < 1) {
        Err << kProgram << "the page holds no soundings\n";
        return kExportNoData;
    }
    return std::nullopt;
}

// An output never takes the place of what it is made from, nor of a file
// the user protected; false, told on Err, when one of them would.
bool OutputsAllowed(const ExportOptions& Options, int Count, std::ostream& Err)
{
    const std::vector<std::string> inputs = InputFiles(Options);
    for (const std::string& output : OutputFiles(Options, Count)) {
        const std::string refused = platform::RefusedOutput(output, inputs);
        if (!refused.empty()) {
            Err << kProgram << refused << '\n';
            return false;
        }
    }
    return true;
}

// Writes one output of Set; false, told on Err, when it failed.
bool WriteTarget(const ExportOptions& Options, TLapseRates& Set, const ExportTarget& Target, ExportRun& Run,
                 std::ostream& Out, std::ostream& Err)
{
    if (Target.Format == ExportFormat::Levels)
        return WriteCsv(
            Target.Path, [&Set](const TCsvSink& Sink) { return WriteLevelsCsv(Set, Sink); }, Out, Err);
    if (Target.Format == ExportFormat::Indices)
        return WriteCsv(
            Target.Path, [&Set](const TCsvSink& Sink) { return tools::WriteIndicesCsv(Set, Sink); }, Out, Err);
    if (Target.Format == ExportFormat::Climatology) {
        const sounding::TClimatology* climatology = ClimatologyFor(Options, Set, Run, Err);
        return climatology &&
               WriteCsv(
                   Target.Path, [climatology](const TCsvSink& Sink) { return WriteClimatologyCsv(*climatology, Sink); },
                   Out, Err);
    }
#ifdef PROFILORA_EXPORT_PICTURES
    if (Target.Format != ExportFormat::Csv) {
        return Told(Err, [&] {
            if (!Run.application) Run.application = std::make_unique<PictureApplication>();
            if (Target.Format == ExportFormat::Section) {
                const sounding::TClimatology* climate =
                    Options.Anomaly ? ClimatologyFor(Options, Set, Run, Err) : nullptr;
                if (Options.Anomaly && !climate) throw Exception("no climatology for --anomaly");
                WriteSectionTarget(Options, SettingsOf(Options, Run), Set, Target, climate);
                return;
            }
            if (!Run.pictures) Run.pictures = std::make_unique<PictureJob>(Options, SettingsOf(Options, Run), Set, Err);
            Run.pictures->Write(Target);
        });
    }
#else
    (void)Options;
    (void)Run;
#endif
    return WriteCsv(
        Target.Path, [&Set](const TCsvSink& Sink) { return WriteSoundingsCsv(Set, Sink); }, Out, Err);
}

}  // namespace

int RunExport(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err)
{
    ExportOptions options;
    if (const std::optional<int> done = ParseOptions(Args, options, Out, Err)) return *done;
    ExportRun run;
    if (!options.Stations.empty() && !FetchStations(options, run, Err)) return kExportFailed;
    TLapseRates set;
    // A climatology of another record alone needs no input read.
    if (!options.ClimatologyOnly())
        if (const std::optional<int> done = ReadInputs(options, set, Err)) return *done;
    if (!OutputsAllowed(options, set.Count(), Err)) return kExportFailed;
    for (const ExportTarget& target : options.Targets)
        if (!WriteTarget(options, set, target, run, Out, Err)) return kExportFailed;
    return kExportDone;
}
