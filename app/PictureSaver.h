#pragma once
// The chart's pictures as files: the frame on show as a PNG picture and the
// page as an animated GIF, each under a name the user chooses. A cancelled
// choice or export writes nothing; a file is only ever replaced whole, and
// never one the window reads.

#include <string>

class IExtrasHost;

namespace app {

class TPictureSaver {
public:
    explicit TPictureSaver(IExtrasHost& Host);

    // Errors leave them (the general handler shows them).
    void SaveFrameAsPng();
    // WithTrail: each frame with the trail of the earlier ones.
    void ExportMovieAsGif(bool WithTrail);

private:
    // The save dialog for one kind of file: the chosen name (with Extension
    // added when it has none), or empty when the user cancelled or refused
    // to replace an existing file.
    std::string AskTarget(const std::string& Title, const std::string& Filter, const std::string& Extension,
                          const std::string& Suggested);
    std::string PageBaseName() const;

    IExtrasHost& host_;
    std::string lastDirectory_;
};

}  // namespace app
