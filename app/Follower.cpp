#include "app/Follower.h"

#include "app/ExtrasHost.h"
#include "app/ShownSet.h"

#include <QEvent>
#include <QWidget>

namespace app {

TFollower::TFollower(IExtrasHost& Host, QObject* Parent)
    : QObject(Parent), host_(Host), shown_(Host.HostShownSet()), main_(&Host.HostWindow())
{
    connect(&shown_, &TShownSet::pageChanged, this, [this] { PageChanged(); });
    connect(&shown_, &TShownSet::frameChanged, this, [this] { FrameChanged(); });
    main_->installEventFilter(this);
}

bool TFollower::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == main_ && Event->type() == QEvent::Close && Event->isAccepted()) MainClosing();
    return false;
}

}  // namespace app
