#include "desktopservices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

namespace {

constexpr qint64 answerLifetimeMs = 10'000;
constexpr int queryTimeoutMs = 4'000;

// Calls back on a later turn of the event loop, like an answer that had to be looked up.
void answerLater(QObject *context, std::function<void(bool)> answer, bool handled)
{
    QMetaObject::invokeMethod(context, [answer = std::move(answer), handled] { answer(handled); },
                              Qt::QueuedConnection);
}

} // namespace

DesktopServices::~DesktopServices()
{
    for (QProcess *query : std::as_const(m_queries)) {
        query->disconnect();
        query->kill();
        query->waitForFinished(1000);
        delete query;
    }
}

void DesktopServices::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

void DesktopServices::canOpenUrl(const QUrl &url, QObject *context, std::function<void(bool)> answer)
{
    if (!context)
        return;
    if (!url.isValid() || url.scheme().isEmpty()) {
        answerLater(context, std::move(answer), false);
        return;
    }
    const QString scheme = url.scheme().toLower();
    const auto known = m_answers.constFind(scheme);
    if (known != m_answers.cend() && !known->age.hasExpired(answerLifetimeMs)) {
        answerLater(context, std::move(answer), known->handled);
        return;
    }
#ifdef Q_OS_LINUX
    m_waiters[scheme].append({context, std::move(answer)});
    if (m_queries.contains(scheme))
        return;
    auto *query = new QProcess;
    m_queries.insert(scheme, query);
    QObject::connect(query, &QProcess::finished, query, [this, scheme, query](int code, QProcess::ExitStatus status) {
        finishQuery(scheme, status == QProcess::NormalExit && code == 0
                                && !query->readAllStandardOutput().trimmed().isEmpty());
    });
    // A missing xdg-mime fails to start: then nothing is known to handle the scheme.
    QObject::connect(query, &QProcess::errorOccurred, query, [this, scheme](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finishQuery(scheme, false);
    });
    QTimer::singleShot(queryTimeoutMs, query, [this, scheme] { finishQuery(scheme, false); });
    query->start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/") + scheme});
#else
    answerLater(context, std::move(answer), true);
#endif
}

void DesktopServices::finishQuery(const QString &scheme, bool handled)
{
    QProcess *query = m_queries.take(scheme);
    if (!query)
        return;
    query->disconnect();
    if (query->state() != QProcess::NotRunning)
        query->kill();
    // Deleted from the event loop: this may run inside one of the process's own signals.
    QObject::connect(query, &QProcess::finished, query, &QObject::deleteLater);
    if (query->state() == QProcess::NotRunning)
        query->deleteLater();

    Answer answer;
    answer.handled = handled;
    answer.age.start();
    m_answers.insert(scheme, answer);
    const QList<Waiter> waiters = m_waiters.take(scheme);
    for (const Waiter &waiter : waiters) {
        if (waiter.context)
            waiter.answer(handled);
    }
}

void DesktopServices::copyText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
