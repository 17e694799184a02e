#include "app/PictureSaver.h"

#include "app/Application.h"
#include "app/ExtrasHost.h"
#include "app/ShownSet.h"
#include "app/WindowMovie.h"
#include "platform/LocalNames.h"
#include "platform/OutputTarget.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "sounding/LapseRates.h"
#include "movie/MovieExport.h"

#include <cctype>
#include <memory>

namespace app {

using platform::DirectoryOf;
using platform::NameOf;

TPictureSaver::TPictureSaver(IExtrasHost& Host) : host_(Host) {}

std::string TPictureSaver::PageBaseName() const
{
    std::string name = host_.HostShownSet().PageFile();
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string TPictureSaver::AskTarget(const std::string& Title, const std::string& Filter, const std::string& Extension,
                                     const std::string& Suggested)
{
    platform::FileDialogSetup setup;
    setup.Title = Title;
    setup.InitialDir = lastDirectory_;
    setup.FileName = Suggested;
    setup.Filter = Filter;
    setup.FileMustExist = false;
    std::string chosen;
    if (!platform::prompts().SaveFileDialog(setup, chosen) || chosen.empty()) return "";
    // A name typed without an extension gets the one of the chosen kind.
    if (NameOf(chosen).find('.') == std::string::npos) chosen += Extension;
    lastDirectory_ = DirectoryOf(chosen);
    std::string refused = platform::RefusedOutput(chosen, host_.HostInputFiles());
    if (!refused.empty()) {
        refused[0] = char(std::toupper(static_cast<unsigned char>(refused[0])));
        platform::prompts().MessageBox(refused + ".", ProgramTitle(), platform::MsgButtons::OK,
                                       platform::MsgIcon::Error);
        return "";
    }
    // The save dialog does not ask; a picture must not silently take the
    // place of a file the user has.
    if (platform::files().FileExists(chosen)) {
        const platform::MsgResult answer =
            platform::prompts().MessageBox(chosen + " already exists.\nDo you want to replace it?", ProgramTitle(),
                                           platform::MsgButtons::YesNoCancel, platform::MsgIcon::Question);
        if (answer != platform::MsgResult::Yes) return "";
    }
    return chosen;
}

void TPictureSaver::SaveFrameAsPng()
{
    const std::string base = PageBaseName();
    const std::string frame = FrameFileName(host_.HostShownSet().Frame());
    const std::string target = AskTarget("Save Frame as PNG", "PNG images (*.png)|*.png|All files (*.*)|*.*", ".png",
                                         base.empty() ? frame : base + " " + frame);
    if (target.empty()) return;
    WriteFileReplacing(target, EncodeShownFrame(host_.HostChart()));
}

void TPictureSaver::ExportMovieAsGif(bool WithTrail)
{
    const TLapseRates* rates = host_.HostShownSet().Movie();
    if (!rates || rates->Count() < 1) throw EExportError("There are no soundings to export");
    const std::string base = PageBaseName();
    const std::string target = AskTarget("Export Movie as GIF", "GIF images (*.gif)|*.gif|All files (*.*)|*.*", ".gif",
                                         (base.empty() ? std::string("movie") : base) + ".gif");
    if (target.empty()) return;

    // The movie is drawn on copies, so the window may go on playing while
    // the progress window lets its messages through.
    TWindowMovie movie(host_.HostChart(), *rates, WithTrail);
    const int delayMs = host_.HostFrameIntervalMs();
    std::string bytes;
    {
        std::unique_ptr<platform::Progress> progress =
            platform::prompts().ShowProgress("Exporting " + NameOf(target) + "...", movie.FrameCount());
        try {
            bytes = EncodeWindowMovie(movie, delayMs, [&progress](int Done, int) {
                progress->SetValue(Done);
                return !progress->Cancelled();
            });
        } catch (const EExportCancelled&) {
            return;  // nothing has been written
        }
    }
    WriteFileReplacing(target, bytes);
}

}  // namespace app
