#include "sourcelisttransfer.h"

#include "contentviewmodel.h"
#include "model/repojson.h"
#include "sources/launchrequest.h"
#include "sources/repoadder.h"
#include "sources/sourcelists.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

SourceListTransfer::SourceListTransfer(QObject *parent)
    : QObject(parent)
{
}

void SourceListTransfer::setContentModel(ContentViewModel *model)
{
    if (m_content == model)
        return;
    m_content = model;
    Q_EMIT contentModelChanged();
}

void SourceListTransfer::importFrom(const QUrl &file)
{
    if (!m_content)
        return;
    const QString path = file.isLocalFile() ? file.toLocalFile() : file.toString();
    QFile input(path);
    SourceLists::ReadResult read;
    if (!input.open(QIODevice::ReadOnly))
        read.error = input.errorString();
    else
        read = SourceLists::read(input.read((qint64(64) << 20) + 1));
    if (!read.error.isEmpty())
        return m_content->alert(u"تعذّر استيراد السورسات: "_s + QFileInfo(path).fileName());
    m_content->repoAdder()->addAll(read.addresses);
}

void SourceListTransfer::exportTo(const QUrl &file)
{
    if (!m_content)
        return;
    const QString path = file.isLocalFile() ? file.toLocalFile() : file.toString();
    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    if (suffix == u"json") {
        std::string text;
        if (RepoJson::writeRepos(m_content->repos(), text))
            bytes = QByteArray::fromStdString(text);
    } else {
        const auto format = suffix == u"list"      ? SourceLists::Format::List
                          : suffix == u"sources" ? SourceLists::Format::Sources
                                                 : SourceLists::Format::Text;
        bytes = SourceLists::write(m_content->repos(), format);
    }
    QSaveFile output(path);
    if (bytes.isEmpty() && !m_content->repos().isEmpty())
        return m_content->alert(u"تعذّر تصدير السورسات: "_s + QFileInfo(path).fileName());
    if (!output.open(QIODevice::WriteOnly) || output.write(bytes) != bytes.size() || !output.commit())
        m_content->alert(u"تعذّر تصدير السورسات: "_s + QFileInfo(path).fileName());
}

void SourceListTransfer::handleArguments(const QStringList &arguments)
{
    if (!m_content)
        return;
    const LaunchRequest request = launchRequestOf(arguments);
    if (!request.addresses.isEmpty())
        m_content->openAddSheet(request.addresses);
    for (const QString &path : request.listFiles)
        importFrom(QUrl::fromLocalFile(path));
}
