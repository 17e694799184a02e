#include "tools/Export.h"

#include "components/jtSysUtils.h"
#include "platform/Platform.h"
#include "sounding/LapseRates.h"
#include "tools/CsvExport.h"
#include "tools/ExportOptions.h"

#include <exception>

namespace {

constexpr const char* kProgram = "profilora-export: ";

// Message boxes of a tool without a window: their text goes to standard
// error, and every box counts as a failure the exit status reports.
class ConsolePrompts : public platform::Prompts {
public:
    explicit ConsolePrompts(std::ostream& Err) : err_(Err) {}
    int Shown = 0;

    platform::MsgResult MessageBox(const std::string& Text, const std::string& Caption,
                                   platform::MsgButtons Buttons, platform::MsgIcon) override
    {
        ++Shown;
        std::string text;
        for (std::size_t i = 0; i < Text.size(); ++i) {
            if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') continue;
            text += Text[i];
        }
        err_ << kProgram << Caption << ": " << text << '\n';
        // Nobody can answer: a question counts as cancelled.
        return Buttons == platform::MsgButtons::OK ? platform::MsgResult::OK : platform::MsgResult::Cancel;
    }
    bool OpenFileDialog(const platform::FileDialogSetup&, std::string&) override { return false; }
    bool SaveFileDialog(const platform::FileDialogSetup&, std::string&) override { return false; }
    bool ColorDialog(std::uint32_t, std::uint32_t&) override { return false; }

private:
    std::ostream& err_;
};

// Installs prompts for one run and puts back whatever was installed before.
class PromptsOverride {
public:
    explicit PromptsOverride(platform::Prompts* P) : previous_(&platform::prompts()) { platform::SetPrompts(P); }
    ~PromptsOverride() { platform::SetPrompts(previous_); }
    PromptsOverride(const PromptsOverride&) = delete;
    PromptsOverride& operator=(const PromptsOverride&) = delete;

private:
    platform::Prompts* previous_;
};

std::string Render(ExportFormat Format, const TLapseRates& Set)
{
    switch (Format) {
    case ExportFormat::Csv: return SoundingsToCsv(Set);
    }
    return {};
}

}  // namespace

int RunExport(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err)
{
    ExportOptions options;
    const std::string problem = ParseExportArguments(Args, options);
    if (options.Help) {
        Out << ExportUsage();
        return kExportDone;
    }
    if (!problem.empty()) {
        Err << kProgram << problem << "\n\n" << ExportUsage();
        return kExportFailed;
    }

    std::string page;
    platform::FileError readError;
    if (!platform::files().ReadAll(options.PagePath, page, readError)) {
        Err << kProgram << readError.Message << '\n';
        return kExportFailed;
    }

    // The whole page is read before anything is written, so a failure
    // leaves no half-written output behind.
    ConsolePrompts prompts(Err);
    TLapseRates set;
    try {
        PromptsOverride guard(&prompts);
        set.LoadPage(page);
    } catch (const Exception& e) {
        Err << kProgram << e.Message() << '\n';
        return kExportFailed;
    } catch (const std::exception& e) {
        Err << kProgram << e.what() << '\n';
        return kExportFailed;
    }
    if (prompts.Shown > 0) return kExportNoData;

    for (const ExportTarget& target : options.Targets) {
        const std::string text = Render(target.Format, set);
        if (target.Path.empty()) {
            Out.write(text.data(), static_cast<std::streamsize>(text.size()));
            Out.flush();
            if (!Out) {
                Err << kProgram << "cannot write to standard output\n";
                return kExportFailed;
            }
            continue;
        }
        platform::FileError writeError;
        if (!platform::files().WriteAll(target.Path, text, writeError)) {
            // Whatever part of it was written is no use to anyone.
            platform::files().DeleteFile(target.Path);
            Err << kProgram << "cannot write '" << target.Path << "': " << writeError.Message << '\n';
            return kExportFailed;
        }
    }
    return kExportDone;
}
