#pragma once

#include "model/repo.h"
#include "search/architectureindex.h"
#include "search/sectionindex.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <memory>

class ContentViewModel;
class PackageListModel;
class PackageSearch;
struct ReleaseInfo;

// State and actions of the screen that lists one source's packages: the search over package
// names, the architecture choice, the filtered grid, and the scroll-to-top button. Given the
// main screen's model and a source id, it follows that source while shown: a refresh that
// lands updates the count, the segments and the grid; search and architecture stay as chosen.
// When the source goes from the list, the screen keeps what it had.
class RepoDetailViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QVariant repo READ repoVariant WRITE setRepoVariant NOTIFY repoChanged)
    Q_PROPERTY(ContentViewModel *contentModel READ contentModel WRITE setContentModel NOTIFY contentModelChanged)
    Q_PROPERTY(QString repoId READ repoId WRITE setRepoId NOTIFY repoIdChanged)
    Q_PROPERTY(QString address READ address NOTIFY repoChanged)
    Q_PROPERTY(QString failureReason READ failureReason NOTIFY failureReasonChanged)
    Q_PROPERTY(QString title READ title NOTIFY releaseChanged)
    Q_PROPERTY(QString releaseDescription READ releaseDescription NOTIFY releaseChanged)
    Q_PROPERTY(bool indexMismatch READ indexMismatch NOTIFY releaseChanged)
    Q_PROPERTY(QStringList availableArchitectures READ availableArchitectures NOTIFY repoChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(QString selectedArchitecture READ selectedArchitecture WRITE setSelectedArchitecture NOTIFY selectedArchitectureChanged)
    Q_PROPERTY(QVariantList sectionChoices READ sectionChoices NOTIFY repoChanged)
    Q_PROPERTY(QString selectedSection READ selectedSection WRITE setSelectedSection NOTIFY selectedSectionChanged)
    Q_PROPERTY(QString selectedSectionText READ selectedSectionText NOTIFY selectedSectionChanged)
    Q_PROPERTY(PackageListModel *packages READ packages CONSTANT)
    Q_PROPERTY(QStringList orderNames READ orderNames CONSTANT)
    // The order of the grid (PackageOrder::Kind): the main screen's choice for source screens
    // when following a source there, else this screen's own.
    Q_PROPERTY(int order READ order WRITE setOrder NOTIFY orderChanged)
    Q_PROPERTY(QString countText READ countText NOTIFY countChanged)
    Q_PROPERTY(bool showScrollToTopButton READ showScrollToTopButton NOTIFY showScrollToTopButtonChanged)
    Q_PROPERTY(bool isButtonAnimating READ isButtonAnimating NOTIFY isButtonAnimatingChanged)
    Q_PROPERTY(bool isUpdating READ isUpdating NOTIFY isUpdatingChanged)

public:
    // The picker value that means no architecture filter; also its first segment.
    static const QString allArchitectures;
    // The section menu's first entry, which means no section filter (selectedSection empty).
    static const QString allSections;
    // How long a tap's feedback on the scroll-to-top button lasts.
    static constexpr int buttonAnimationMs = 300;

    explicit RepoDetailViewModel(QObject *parent = nullptr);
    ~RepoDetailViewModel() override;

    void setRepo(const Repo &repo);
    [[nodiscard]] const Repo &repo() const { return m_repo; }
    [[nodiscard]] QVariant repoVariant() const;
    void setRepoVariant(const QVariant &repo);
    [[nodiscard]] ContentViewModel *contentModel() const;
    void setContentModel(ContentViewModel *model);
    [[nodiscard]] QString repoId() const { return m_repoId; }
    void setRepoId(const QString &id);

    // The title its Release gives, else its name; the Release's description; whether the
    // index fetched is not the one the Release describes.
    [[nodiscard]] QString title() const;
    [[nodiscard]] QString address() const { return QString::fromStdString(m_repo.url); }
    // Why the source's last refresh failed, while it is followed; empty otherwise.
    [[nodiscard]] QString failureReason() const { return m_failureReason; }
    // Refreshes the followed source alone.
    Q_INVOKABLE void retry();
    // Copies the source's address as it is stored.
    Q_INVOKABLE void copyAddress();
    [[nodiscard]] QString releaseDescription() const;
    [[nodiscard]] bool indexMismatch() const;
    [[nodiscard]] QStringList availableArchitectures() const;
    // A picker value as shown and read: the value meaning no filter in Arabic, others as given.
    [[nodiscard]] Q_INVOKABLE static QString architectureText(const QString &value);
    [[nodiscard]] QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);
    [[nodiscard]] QString selectedArchitecture() const { return m_selectedArchitecture; }
    void setSelectedArchitecture(const QString &architecture);
    // The menu's entries: {name, text} for all sections (name empty), then each section with
    // its number of packages.
    [[nodiscard]] QVariantList sectionChoices() const;
    [[nodiscard]] QString selectedSection() const { return m_selectedSection; }
    void setSelectedSection(const QString &section);
    [[nodiscard]] QString selectedSectionText() const;
    [[nodiscard]] PackageListModel *packages() const { return m_packages; }
    [[nodiscard]] QStringList orderNames() const;
    [[nodiscard]] int order() const;
    void setOrder(int order);
    [[nodiscard]] QString countText() const;
    [[nodiscard]] bool showScrollToTopButton() const { return m_showScrollToTopButton; }
    [[nodiscard]] bool isButtonAnimating() const { return m_isButtonAnimating; }
    // The source is being refreshed now.
    [[nodiscard]] bool isUpdating() const { return m_isUpdating; }

    // Where the top edge of the scrolled content is, relative to its place at rest: 0 at
    // rest, negative when scrolled down. The button shows below -100.
    Q_INVOKABLE void setContentTop(double y);
    // A tap on the scroll-to-top button.
    Q_INVOKABLE void scrollToTop();

Q_SIGNALS:
    void releaseChanged();
    void repoChanged();
    void contentModelChanged();
    void repoIdChanged();
    void searchTextChanged();
    void selectedArchitectureChanged();
    void selectedSectionChanged();
    void orderChanged();
    void countChanged();
    void showScrollToTopButtonChanged();
    void isButtonAnimatingChanged();
    void failureReasonChanged();
    void isUpdatingChanged();
    // Asks the view to go back to its very top, where the filters are; `eased` for the
    // button's slower ease-in-out scroll.
    void scrollRequested(bool eased);

private:
    [[nodiscard]] const ReleaseInfo *release() const;
    void refilter();
    void reorder();
    void follow();
    void followIf(const QUuid &id);
    void requestScroll(bool eased);
    void setUpdating(bool updating);

    Repo m_repo;
    QPointer<ContentViewModel> m_content;
    QString m_repoId;
    ArchitectureIndex m_architectures;
    SectionIndex m_sections;
    std::unique_ptr<PackageSearch> m_search;
    PackageListModel *m_packages;
    QString m_searchText;
    QString m_selectedArchitecture;
    QString m_selectedSection;
    int m_order = 0;
    std::vector<std::uint32_t> m_packageOrder; // empty for the index order
    bool m_showScrollToTopButton = false;
    bool m_isButtonAnimating = false;
    QString m_failureReason;
    bool m_isUpdating = false;
};
