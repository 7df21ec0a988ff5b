#include "desktopservices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>

namespace {

constexpr qint64 answerLifetimeMs = 10'000;
constexpr int queryTimeoutMs = 2'000;

bool desktopHasHandler(const QString &scheme)
{
#ifdef Q_OS_LINUX
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/") + scheme});
    // A missing xdg-mime fails to start: then nothing is known to handle the scheme.
    if (!query.waitForStarted(queryTimeoutMs))
        return false;
    if (!query.waitForFinished(queryTimeoutMs)) {
        query.kill();
        query.waitForFinished(queryTimeoutMs);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
        && !query.readAllStandardOutput().trimmed().isEmpty();
#else
    Q_UNUSED(scheme);
    return true;
#endif
}

} // namespace

void DesktopServices::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

bool DesktopServices::canOpenUrl(const QUrl &url)
{
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    auto it = m_answers.find(scheme);
    if (it == m_answers.end() || it->age.hasExpired(answerLifetimeMs)) {
        Answer answer;
        answer.handled = desktopHasHandler(scheme);
        answer.age.start();
        it = m_answers.insert(scheme, answer);
    }
    return it->handled;
}

void DesktopServices::copyText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
