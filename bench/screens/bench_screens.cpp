// Main-thread cost of the source detail screen's model over a large index: opening it, each
// keystroke of a search (typing a word, deleting it), each change of architecture; and the
// same search over names and descriptions of a larger list, as the all-packages screen runs it.
// The screen_* figures add the page itself in an offscreen window: creating it with its first
// cards, and the view's work per keystroke (each minus the cost of drawing an unchanged frame).
// Usage: bench_screens PACKAGES_FILE   (prints "figure milliseconds" lines)
#include "screens/packagegrid/packagelistmodel.h"
#include "screens/sourcedetail/repodetailviewmodel.h"
#include "search/packagesearch.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtQml/QQmlExtensionPlugin>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <functional>
#include <charconv>
#include <ctime>
#include <cstdio>
#include <string_view>
#include <vector>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

namespace {

// A plain stanza loop: enough fields for the screen, continuation lines skipped.
PackageList readIndex(const QByteArray &data)
{
    PackageList packages;
    Package p;
    std::string_view rest(data.constData(), std::size_t(data.size()));
    while (!rest.empty()) {
        const std::size_t eol = rest.find('\n');
        const std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 1);
        if (line.empty()) {
            if (!p.name.empty())
                packages.append(std::move(p));
            p = Package{};
            continue;
        }
        const std::size_t colon = line.find(": ");
        if (line.front() == ' ' || colon == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, colon), value = line.substr(colon + 2);
        if (key == "Package")
            p.name = value;
        else if (key == "Description")
            p.description = value;
        else if (key == "Version")
            p.version = value;
        else if (key == "Architecture")
            p.architecture = value;
        else if (key == "Filename")
            p.downloadURL = "https://deb.debian.org/debian/" + std::string(value);
        else if (key == "Size")
            std::from_chars(value.data(), value.data() + value.size(), p.fileSize);
    }
    if (!p.name.empty())
        packages.append(std::move(p));
    return packages;
}

// Main-thread time: CPU time of this thread, so that other processes on a shared machine
// do not count. (Waiting, e.g. for the search index, is measured separately by wall clock.)
class ThreadTimer
{
public:
    void start() { m_start = now(); }
    [[nodiscard]] double elapsedMs() const { return double(now() - m_start) / 1e6; }

private:
    static qint64 now()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
    }
    qint64 m_start = 0;
};

double ms(const ThreadTimer &timer)
{
    return timer.elapsedMs();
}

double ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void report(const char *figure, double value)
{
    std::printf("%s %.3f\n", figure, value);
}

double maxOf(const std::vector<double> &values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Types word one letter at a time, then deletes it one letter at a time.
void typeAndDelete(const QString &word, const std::function<void(const QString &)> &setText,
                   std::vector<double> &typing, std::vector<double> &deleting)
{
    ThreadTimer timer;
    for (qsizetype n = 1; n <= word.size(); ++n) {
        timer.start();
        setText(word.left(n));
        typing.push_back(ms(timer));
    }
    for (qsizetype n = word.size() - 1; n >= 0; --n) {
        timer.start();
        setText(word.left(n));
        deleting.push_back(ms(timer));
    }
}

} // namespace

void screenFigures(const Repo &repo)
{
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QQuickWindow window;
    window.resize(430, 900);
    window.show();
    QQmlComponent page(&engine, QUrl(QStringLiteral("qrc:/Vexlo/screens/sourcedetail/RepoDetailView.qml")));
    ThreadTimer timer;
    auto frame = [&] { (void)window.grabWindow(); };
    frame();
    timer.start();
    for (int i = 0; i < 5; ++i)
        frame();
    const double unchanged = ms(timer) / 5;
    report("screen_unchanged_frame_ms", unchanged);

    const QVariantMap properties{{QStringLiteral("repo"), QVariant::fromValue(repo)}};
    auto open = [&] {
        auto *item = qobject_cast<QQuickItem *>(page.createWithInitialProperties(properties));
        if (!item) {
            std::fprintf(stderr, "%s\n", qPrintable(page.errorString()));
            std::exit(1);
        }
        item->setParentItem(window.contentItem());
        item->setSize(window.size());
        frame();
        return item;
    };
    timer.start();
    QQuickItem *first = open();
    report("screen_open_first_ms", ms(timer) - unchanged);
    delete first;
    frame();
    timer.start();
    QQuickItem *item = open();
    report("screen_open_ms", ms(timer) - unchanged);

    auto *model = item->findChild<RepoDetailViewModel *>();
    model->setSearchText(QStringLiteral("x")); // the search index is built by now
    model->setSearchText({});
    frame();
    std::vector<double> typing, deleting;
    const auto setText = [&](const QString &text) {
        model->setSearchText(text);
        frame();
    };
    for (const QString &word : {QStringLiteral("libreoffice"), QStringLiteral("Python3-")})
        typeAndDelete(word, setText, typing, deleting);
    for (double &t : typing)
        t -= unchanged;
    for (double &t : deleting)
        t -= unchanged;
    report("screen_keystroke_typing_median_ms", medianOf(typing));
    report("screen_keystroke_typing_max_ms", maxOf(typing));
    report("screen_keystroke_deleting_max_ms", maxOf(deleting));
    std::vector<double> architecture;
    for (int round = 0; round < 3; ++round) {
        for (const QString &choice : model->availableArchitectures()) {
            timer.start();
            model->setSelectedArchitecture(choice);
            frame();
            architecture.push_back(ms(timer) - unchanged);
        }
    }
    report("screen_architecture_change_max_ms", maxOf(architecture));
    delete item;
}

int main(int argc, char *argv[])
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_screens PACKAGES_FILE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    Repo repo;
    repo.name = "Debian";
    repo.packages = readIndex(file.readAll());
    report("packages", double(repo.packages.size()));

    // Opening: the screen model takes its copy of the source and shows every package.
    ThreadTimer timer;
    timer.start();
    auto *model = new RepoDetailViewModel;
    model->setRepo(repo);
    report("open_ms", ms(timer));
    report("open_rows", model->packages()->count());

    // The first keystroke right after opening may wait for the index built meanwhile.
    QElapsedTimer wall;
    wall.start();
    model->setSearchText(QStringLiteral("l"));
    report("first_keystroke_after_open_wall_ms", ms(wall));
    model->setSearchText({});
    QThread::msleep(50);

    {
        // What the worker does meanwhile, alone.
        ThreadTimer t;
        t.start();
        const PackageSearchIndex names(repo.packages, PackageSearchIndex::Name);
        report("name_index_build_worker_ms", ms(t));
    }
    std::vector<double> typing, deleting;
    const auto setText = [&](const QString &text) { model->setSearchText(text); };
    for (const QString &word : {QStringLiteral("libreoffice"), QStringLiteral("Python3-"), QStringLiteral("xyzzy")})
        typeAndDelete(word, setText, typing, deleting);
    report("keystroke_typing_median_ms", medianOf(typing));
    report("keystroke_typing_max_ms", maxOf(typing));
    report("keystroke_deleting_median_ms", medianOf(deleting));
    report("keystroke_deleting_max_ms", maxOf(deleting));

    std::vector<double> architecture;
    for (const QString &search : {QString(), QStringLiteral("lib")}) {
        model->setSearchText(search);
        for (int round = 0; round < 3; ++round) {
            for (const QString &choice : model->availableArchitectures()) {
                timer.start();
                model->setSelectedArchitecture(choice);
                architecture.push_back(ms(timer));
            }
        }
    }
    report("architecture_change_median_ms", medianOf(architecture));
    report("architecture_change_max_ms", maxOf(architecture));

    timer.start();
    delete model;
    report("close_ms", ms(timer));

    // Names and descriptions of 100,000 packages, one keystroke at a time.
    PackageList many = repo.packages;
    while (many.size() < 100'000)
        many.append(repo.packages.mid(0, std::min<qsizetype>(repo.packages.size(), 100'000 - many.size())));
    timer.start();
    const PackageSearchIndex index(many, PackageSearchIndex::Name | PackageSearchIndex::Description);
    report("all_index_build_worker_ms", ms(timer));
    PackageSearch search(many, PackageSearchIndex::Name | PackageSearchIndex::Description);
    (void)search.matches(QStringLiteral("warm"));
    std::vector<double> allTyping, allDeleting;
    const auto searchAll = [&](const QString &text) { (void)search.matches(text); };
    for (const QString &word : {QStringLiteral("libreoffice"), QStringLiteral("Python3-"), QStringLiteral("xyzzy")})
        typeAndDelete(word, searchAll, allTyping, allDeleting);
    report("all_keystroke_typing_max_ms", maxOf(allTyping));
    report("all_keystroke_deleting_max_ms", maxOf(allDeleting));

    screenFigures(repo);
    return 0;
}
