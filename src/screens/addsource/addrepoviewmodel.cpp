#include "addrepoviewmodel.h"

#include "screens/mainscreen/contentviewmodel.h"
#include "sources/repoadder.h"

AddRepoViewModel::AddRepoViewModel(QObject *parent)
    : QObject(parent)
{
}

void AddRepoViewModel::setContentModel(ContentViewModel *model)
{
    if (m_content == model)
        return;
    disconnect(m_finished);
    disconnect(m_filled);
    m_content = model;
    m_batch = 0;
    setLoading(false);
    if (m_content) {
        m_finished = connect(m_content->repoAdder(), &RepoAdder::finished, this, &AddRepoViewModel::batchFinished);
        m_filled = connect(m_content, &ContentViewModel::addSheetFilled, this, &AddRepoViewModel::setRepoURLs);
    }
    Q_EMIT contentModelChanged();
}

void AddRepoViewModel::setRepoURLs(const QString &text)
{
    if (text == m_repoURLs)
        return;
    const bool couldSave = canSave();
    m_repoURLs = text;
    Q_EMIT repoURLsChanged();
    if (canSave() != couldSave)
        Q_EMIT canSaveChanged();
}

void AddRepoViewModel::addRepos()
{
    if (!m_content || !canSave())
        return;
    setLoading(true);
    m_batch = m_content->repoAdder()->addRepos(m_repoURLs);
}

void AddRepoViewModel::reset()
{
    m_batch = 0;
    setLoading(false);
    setRepoURLs(m_failedURLs);
}

void AddRepoViewModel::setLoading(bool loading)
{
    if (loading == m_isLoading)
        return;
    const bool couldSave = canSave();
    m_isLoading = loading;
    Q_EMIT isLoadingChanged();
    if (canSave() != couldSave)
        Q_EMIT canSaveChanged();
}

void AddRepoViewModel::batchFinished(int batch, const AddBatchResult &result)
{
    if (batch != m_batch)
        return;
    m_batch = 0;
    m_failedURLs = result.failedAddresses.join(u'\n');
    setLoading(false);
    // The main screen's alert already carries the closing message.
    if (m_content)
        m_content->setShowingAddRepo(false);
}
