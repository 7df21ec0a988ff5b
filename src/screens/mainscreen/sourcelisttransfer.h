#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class ContentViewModel;

// Moves the main screen's source list to and from files, and acts on what a start asks for
// (a `vexlo://add` link, list files). An import goes through the adding flow and removes
// nothing; a link only fills the add sheet, which adds nothing before its save button.
class SourceListTransfer : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ContentViewModel *contentModel READ contentModel WRITE setContentModel NOTIFY contentModelChanged)

public:
    explicit SourceListTransfer(QObject *parent = nullptr);

    [[nodiscard]] ContentViewModel *contentModel() const { return m_content; }
    void setContentModel(ContentViewModel *model);

    // Reads a list file in any form and adds its sources; a file that is refused is named in
    // the alert.
    Q_INVOKABLE void importFrom(const QUrl &file);
    // Writes the list in the form the file's name ends with (.list, .sources, .json; plain
    // addresses otherwise).
    Q_INVOKABLE void exportTo(const QUrl &file);
    // The arguments of a start (this one's or a later one's, handed over).
    Q_INVOKABLE void handleArguments(const QStringList &arguments);

Q_SIGNALS:
    void contentModelChanged();

private:
    QPointer<ContentViewModel> m_content;
};
