#pragma once

#include "screens/mainscreen/contentviewmodel.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>


// State of the all-packages screen: the main screen's filtered packages and its search text,
// which this screen edits too, so both screens search with one text.
class AllPackagesViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ContentViewModel *contentModel READ contentModel WRITE setContentModel NOTIFY contentModelChanged)
    Q_PROPERTY(PackageListModel *packages READ packages NOTIFY contentModelChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(QString title READ title NOTIFY countChanged)
    Q_PROPERTY(QString countText READ countText NOTIFY countChanged)
    Q_PROPERTY(QStringList orderNames READ orderNames CONSTANT)
    Q_PROPERTY(int order READ order WRITE setOrder NOTIFY orderChanged)

public:
    explicit AllPackagesViewModel(QObject *parent = nullptr);

    [[nodiscard]] ContentViewModel *contentModel() const { return m_content; }
    void setContentModel(ContentViewModel *model);
    [[nodiscard]] PackageListModel *packages() const;
    [[nodiscard]] QString searchText() const;
    void setSearchText(const QString &text);
    [[nodiscard]] int count() const;
    [[nodiscard]] QString title() const;
    [[nodiscard]] QString countText() const;
    [[nodiscard]] QStringList orderNames() const { return m_content ? m_content->orderNames() : QStringList(); }
    [[nodiscard]] int order() const { return m_content ? m_content->allPackagesOrder() : 0; }
    void setOrder(int order);

Q_SIGNALS:
    void contentModelChanged();
    void searchTextChanged();
    void countChanged();
    void orderChanged();
    // Asks the view to bring this row's card to the top.
    void scrollRequested(int row);

private:
    QPointer<ContentViewModel> m_content;
};
