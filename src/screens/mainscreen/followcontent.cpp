#include "followcontent.h"

#include "contentviewmodel.h"

bool followContent(QPointer<ContentViewModel> &held, ContentViewModel *model, QObject *follower,
                   const std::function<void()> &reloaded, const std::function<void(const QUuid &)> &sourceChanged)
{
    if (held == model)
        return false;
    if (held)
        held->disconnect(follower);
    held = model;
    if (held) {
        QObject::connect(held, &ContentViewModel::reposChanged, follower, reloaded);
        QObject::connect(held, &ContentViewModel::repoUpdated, follower, sourceChanged);
    }
    return true;
}
