// Renders the package screens offscreen to PNG files for a look at them:
//   render_screens OUTDIR [CORPUS_REPOS_DIR]
#include "model/repo.h"
#include "qmlscene.h"
#include "screens/packagedetail/packagedetailviewmodel.h"
#include "screens/sourcedetail/repodetailviewmodel.h"
#include "sources/packagesparser.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

namespace {

Repo corpusRepo(const QString &reposDir, const QString &folder, const char *name)
{
    QFile file(reposDir + u'/' + folder + u"/Packages"_s);
    Repo repo;
    repo.name = name;
    repo.url = "https://example.org/";
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray text = file.readAll();
        repo.packages = parsePackages(std::string_view(text.constData(), size_t(text.size())), repo.url);
    }
    return repo;
}

Package samplePackage(bool rated)
{
    Package p;
    p.name = rated ? "com.example.a-very-long-package-name" : "com.5boosh.a-bypass";
    p.description = rated ? "A tweak with a description long enough to be cut: it goes on and on about what it does, "
                            "how it does it and why anyone would want it on their device at all."
                          : "أخفاء الجلبريك عن التطبيقات!";
    // Versions of digits and separators, which a right-to-left line must not reorder.
    p.version = rated ? "1.1-8" : "2.0-13";
    p.architecture = "iphoneos-arm64e";
    p.downloadURL = "https://example.org/debs/tool.deb";
    p.fileSize = 1586480;
    if (rated)
        p.ratings = 4.95;
    return p;
}

bool save(QmlScene &scene, const QString &path)
{
    scene.settle(700);
    const QImage image = scene.window()->grabWindow();
    const bool ok = image.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// MaxLeiter's cards with their own icons and display names, its section menu, and one of its
// packages in full. The corpus keeps no package icons, so the icon addresses are moved to a
// local server that answers with the icons of the corpus's sources.
bool renderOwnIcons(const QString &out, const QString &repos)
{
    TestServer server;
    const QStringList pictures = QDir(repos).entryList({u"*"_s}, QDir::Dirs | QDir::NoDotAndDotDot);
    Repo repo = corpusRepo(repos, u"MaxLeiter__jailbreak"_s, "MaxLeiter");
    int served = 0;
    for (Package &p : repo.packages) {
        const std::optional<std::string_view> icon = p.iconURL();
        if (!icon)
            continue;
        const QString path = u"icons/"_s + QString::number(served);
        for (int tries = 0; tries < pictures.size(); ++tries) {
            const QString file = repos + u'/' + pictures.at((served + tries) % pictures.size()) + u"/CydiaIcon.png"_s;
            if (QFile::exists(file)) {
                server.serve(path, TestData::readFile(file));
                break;
            }
        }
        p.extras.set(Extra::IconURL, server.url(path).toStdString());
        ++served;
    }
    bool ok = true;
    {
        QmlScene scene(430, 900);
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(repo)}});
        scene.settle(1500);
        ok &= save(scene, out + u"/repo-own-icons.png"_s);
        QQuickItem *menu = screen->findChild<QQuickItem *>(u"sectionMenuButton"_s);
        QMetaObject::invokeMethod(menu, "clicked");
        ok &= save(scene, out + u"/repo-section-menu.png"_s);
        auto *model = screen->findChild<RepoDetailViewModel *>();
        model->setSelectedSection(u"Development"_s);
        model->setSelectedArchitecture(u"arm64"_s);
        ok &= save(scene, out + u"/repo-section-chosen.png"_s);
    }
    {
        QmlScene scene(430, 1300);
        scene.push(u"PackageDetailView"_s, {{u"record"_s, QVariant::fromValue(repo.packages.at(1))}});
        scene.settle(1500);
        ok &= save(scene, out + u"/package-own-facts.png"_s);
    }
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: render_screens OUTDIR [CORPUS_REPOS_DIR]\n");
        return 2;
    }
    const QString out = args.at(1);
    const QString repos = args.size() > 2 ? args.at(2) : QStringLiteral(VEXLO_SHARED_DIR "/corpus/repos");
    QDir().mkpath(out);
    bool ok = true;

    const Repo arabic = corpusRepo(repos, u"5boosh__repo"_s, "5boosh Repo");
    const Repo multi = corpusRepo(repos, u"Lessica__lessica.github.io"_s, "Lessica");
    if (arabic.packages.isEmpty() || multi.packages.isEmpty()) {
        std::fprintf(stderr, "no corpus indexes in %s\n", qPrintable(repos));
        return 1;
    }
    {
        QmlScene scene(430, 900);
        if (!scene.isReady())
            return 1;
        scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(arabic)}});
        ok &= save(scene, out + u"/repo-arabic.png"_s);
    }
    {
        QmlScene scene(430, 900);
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(multi)}});
        ok &= save(scene, out + u"/repo-multiarch.png"_s);
        auto *model = screen->findChild<RepoDetailViewModel *>();
        model->setSelectedArchitecture(u"arm64"_s);
        model->setSearchText(u"Tro"_s);
        ok &= save(scene, out + u"/repo-multiarch-filtered.png"_s);
        model->setSearchText({});
        model->setSelectedArchitecture(RepoDetailViewModel::allArchitectures);
        auto *grid = screen->findChild<QQuickItem *>(u"packageGrid"_s);
        grid->setProperty("contentY", grid->property("originY").toDouble() + 1500);
        ok &= save(scene, out + u"/repo-scrolled.png"_s);
    }
    {
        QmlScene scene(760, 900);
        scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(multi)}});
        ok &= save(scene, out + u"/repo-two-columns.png"_s);
    }
    {
        // Rated and unrated cards side by side, with one- and two-line descriptions.
        Repo mixed;
        mixed.name = "Mixed";
        const char *descriptions[] = {
            "A tweak.",
            "أخفاء الجلبريك عن التطبيقات!",
            "Adds a row of handy toggles to the control centre, with a choice of icons and colours.",
            "تضيف صفًا من المفاتيح السريعة إلى مركز التحكم مع اختيار الأيقونات والألوان المفضلة.",
            "Short again.",
            "وصف قصير.",
        };
        for (int i = 0; i < 6; ++i) {
            Package p = samplePackage(i % 3 == 0);
            p.description = descriptions[i];
            mixed.packages.append(p);
        }
        for (const int width : {430, 760}) {
            QmlScene scene(width, 1300);
            scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(mixed)}});
            ok &= save(scene, out + u"/grid-mixed-"_s + QString::number(width) + u".png"_s);
        }
    }
    for (const bool rated : {true, false}) {
        QmlScene scene(430, 1000);
        QQuickItem *screen = scene.push(u"PackageDetailView"_s, {{u"record"_s, QVariant::fromValue(samplePackage(rated))}});
        ok &= save(scene, out + (rated ? u"/package-rated.png"_s : u"/package-unrated.png"_s));
        if (!rated) {
            // With no handler for sileo: addresses on this desktop (or none known), the alert.
            QMetaObject::invokeMethod(screen->findChild<PackageDetailViewModel *>(), "openInSileo");
            ok &= save(scene, out + u"/package-sileo-missing.png"_s);
        }
    }
    ok &= renderOwnIcons(out, repos);
    return ok ? 0 : 1;
}
