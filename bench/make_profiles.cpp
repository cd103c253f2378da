// Fills a program folder's profile store with a number of default profiles, for measuring the
// program with a large store.
//
//   make_profiles PROGRAM_FOLDER COUNT
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "page/profile_store.h"
#include "sys/folders.h"
#include "sys/text_lookup.h"

namespace {

class Names final : public TextLookup {
public:
    QString Text(const QString&) const override { return QStringLiteral("Profile "); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER COUNT\n", argv[0]);
        return 1;
    }
    QCoreApplication app(argc, argv);
    const int count = std::atoi(argv[2]);
    Names names;
    ProfileStore store(DataFolderOf(QString::fromLocal8Bit(argv[1]) + QLatin1Char('/')), names);
    store.LoadProfiles();
    while (store.Count() < count) {
        store.AppendProfile(QStringLiteral("Profile %1").arg(store.Count() + 1));
    }
    store.Select(0);
    if (!store.SaveProfiles()) {
        std::fprintf(stderr, "%s could not be written\n", qPrintable(store.FilePath()));
        return 2;
    }
    return 0;
}
