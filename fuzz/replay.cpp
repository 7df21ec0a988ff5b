// Runs a fuzz target over saved inputs without a fuzzing engine: every file named on the
// command line, or every file in a folder named there (a name that does not exist is skipped). Used by the test suite to replay the
// seed corpus and the reproducers of past findings.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo::exists(path))
            continue; // no reproducers for this target yet
        QStringList files;
        if (QFileInfo(path).isDir()) {
            QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next();
        } else {
            files << path;
        }
        for (const QString &file : files) {
            QFile f(file);
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
                return 1;
            }
            const QByteArray bytes = f.readAll();
            // A copy of exactly the input's size, so reads past its end are caught.
            auto *copy = new std::uint8_t[std::size_t(bytes.size())];
            std::copy(bytes.cbegin(), bytes.cend(), copy);
            LLVMFuzzerTestOneInput(copy, std::size_t(bytes.size()));
            delete[] copy;
            ++count;
        }
    }
    std::printf("%d inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
