#pragma once
// Pages from outside the window: files dropped on it and files named on the
// command line.

#include <QObject>

#include <string>
#include <vector>

class IExtrasHost;
class QEvent;
class QMimeData;

namespace app {

// Accepts a drag of local files over the host window and opens what is
// dropped (several files as one movie) once the drop has returned.
class TPageDrops : public QObject {
public:
    explicit TPageDrops(IExtrasHost& Host);
    ~TPageDrops() override;

    // The local file a drag carries (its first URL), or empty when it
    // carries none that could be a page.
    static std::string DroppedPage(const QMimeData* Data);
    // Every local file a drag carries, in its order.
    static std::vector<std::string> DroppedFiles(const QMimeData* Data);

    // The page named on the command line: the first argument, when it comes
    // before every switch (the arguments after a switch are its value). A
    // name that is found from the working directory becomes its full path;
    // a bare name found nowhere is kept, so it is looked up beside the pages
    // as a catalogue entry is.
    static std::string PageArgument(const std::vector<std::string>& Args);
    // Every file named before the first switch, each as PageArgument gives it.
    static std::vector<std::string> PageArguments(const std::vector<std::string>& Args);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    IExtrasHost& host_;
};

}  // namespace app
