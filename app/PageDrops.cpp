#include "app/PageDrops.h"

#include "app/Application.h"
#include "app/ExtrasHost.h"
#include "components/jtINI_File.h"
#include "platform/LocalNames.h"
#include "platform/Platform.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <filesystem>

namespace app {

TPageDrops::TPageDrops(IExtrasHost& Host) : host_(Host)
{
    setObjectName("PageDrops");
    host_.HostWindow().setAcceptDrops(true);
    host_.HostWindow().installEventFilter(this);
}

TPageDrops::~TPageDrops() { host_.HostWindow().removeEventFilter(this); }

std::string TPageDrops::DroppedPage(const QMimeData* Data)
{
    if (!Data || !Data->hasUrls() || Data->urls().isEmpty()) return "";
    // The list as it came holds the name's own bytes; the toolkit's URLs
    // hold text, which a name need not be.
    const QByteArray list = Data->data("text/uri-list");
    std::string path = platform::FirstLocalPathOfUriList(std::string_view(list.constData(), std::size_t(list.size())));
    if (path.empty()) {
        const QUrl url = Data->urls().first();
        if (!url.isLocalFile()) return "";
        path = url.toLocalFile().toLocal8Bit().toStdString();
    }
    path = platform::ExistingLocalName(path);
    // A folder or a vanished file is not offered as a page.
    return platform::files().FileExists(path) ? path : std::string();
}

std::string TPageDrops::PageArgument(const std::vector<std::string>& Args)
{
    if (Args.empty()) return "";
    const std::string& first = Args.front();
    // The settings component reads the switches and their values; a page
    // can only come before them.
    if (first.empty() || !TjtINI_File::SwitchTexts({first}).empty()) return "";
    if (first.find('/') != std::string::npos || platform::files().FileExists(first)) {
        std::error_code failure;
        const std::filesystem::path full = std::filesystem::absolute(first, failure);
        if (!failure) return full.lexically_normal().string();
    }
    return first;
}

std::vector<std::string> TPageDrops::PageArguments(const std::vector<std::string>& Args)
{
    std::vector<std::string> files;
    for (std::size_t i = 0; i < Args.size(); ++i) {
        const std::string file = PageArgument(std::vector<std::string>(Args.begin() + std::ptrdiff_t(i), Args.end()));
        if (file.empty()) break;
        files.push_back(file);
    }
    return files;
}

std::vector<std::string> TPageDrops::DroppedFiles(const QMimeData* Data)
{
    std::vector<std::string> files;
    if (!Data || !Data->hasUrls()) return files;
    for (const QUrl& url : Data->urls()) {
        if (!url.isLocalFile()) continue;
        const std::string path = url.toLocalFile().toLocal8Bit().toStdString();
        if (platform::files().FileExists(path)) files.push_back(path);
    }
    return files;
}

bool TPageDrops::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched != &host_.HostWindow()) return false;
    switch (Event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(Event);
        if (DroppedPage(e->mimeData()).empty())
            e->ignore();
        else
            e->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(Event);
        const std::string page = DroppedPage(e->mimeData());
        if (page.empty()) {
            e->ignore();
            return true;
        }
        const std::vector<std::string> files = DroppedFiles(e->mimeData());
        e->acceptProposedAction();
        // The program the file came from waits until the drop returns; the
        // page is read once it has.
        QMetaObject::invokeMethod(
            this,
            [this, page, files] {
                RunHandler([&] {
                    if (files.size() > 1)
                        host_.HostOpenPages(files);
                    else
                        host_.HostOpenPage(page);
                });
            },
            Qt::QueuedConnection);
        return true;
    }
    default:
        return false;
    }
}

}  // namespace app
