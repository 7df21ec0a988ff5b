#pragma once

#include <QPointer>
#include <QUuid>

#include <functional>

class ContentViewModel;
class QObject;

// Points a screen model's `held` main-screen model at `model`: the old one's connections to
// `follower` go, and the new one's reloads and changes of a source reach `reloaded` and
// `sourceChanged`. Returns false, doing nothing, when `held` already is `model`.
bool followContent(QPointer<ContentViewModel> &held, ContentViewModel *model, QObject *follower,
                   const std::function<void()> &reloaded, const std::function<void(const QUuid &)> &sourceChanged);
