#pragma once

#include "screens/mainscreen/contentviewmodel.h"
#include "sources/repoadder.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>


// State and actions of the add-source sheet: the typed addresses, the batch the save button
// started, and when the sheet closes. Sources and messages go to the main screen, whose list
// the batch adds to; a batch keeps running when the sheet is closed.
class AddRepoViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ContentViewModel *contentModel READ contentModel WRITE setContentModel NOTIFY contentModelChanged)
    Q_PROPERTY(QString repoURLs READ repoURLs WRITE setRepoURLs NOTIFY repoURLsChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(bool canSave READ canSave NOTIFY canSaveChanged)

public:
    explicit AddRepoViewModel(QObject *parent = nullptr);

    [[nodiscard]] ContentViewModel *contentModel() const { return m_content; }
    void setContentModel(ContentViewModel *model);
    [[nodiscard]] QString repoURLs() const { return m_repoURLs; }
    void setRepoURLs(const QString &text);
    [[nodiscard]] bool isLoading() const { return m_isLoading; }
    // The save button is enabled: some text, and no batch of this sheet running.
    [[nodiscard]] bool canSave() const { return !m_isLoading && !m_repoURLs.isEmpty(); }

    // The save button: starts a batch over the typed addresses.
    Q_INVOKABLE void addRepos();
    // The clear button.
    Q_INVOKABLE void clear() { setRepoURLs({}); }
    // A new opening of the sheet: no batch of its own (one started by an earlier opening runs
    // on, but no longer closes the sheet), and a field empty or holding, one per line, the
    // addresses that the last batch of this sheet could not add.
    Q_INVOKABLE void reset();

Q_SIGNALS:
    void contentModelChanged();
    void repoURLsChanged();
    void isLoadingChanged();
    void canSaveChanged();

private:
    void setLoading(bool loading);
    void batchFinished(int batch, const AddBatchResult &result);

    QPointer<ContentViewModel> m_content;
    QMetaObject::Connection m_finished;
    QMetaObject::Connection m_filled;
    QString m_repoURLs;
    QString m_failedURLs;
    bool m_isLoading = false;
    int m_batch = 0; // the running batch started here, 0 when none
};
