// What the fuzz targets share: a scratch folder, whole-file helpers and a check that stops the
// run (so libFuzzer keeps the input) when a rule of the stores is broken.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "sys/text_lookup.h"

#define FUZZ_REQUIRE(condition)                                                                \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "rule broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

// A folder of this process for the files of one input, emptied on every call; on a memory file
// system when there is one, so that the stores' flushes to the disk cost nothing.
inline QString FreshScratchFolder() {
    static const QString root = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        return base + QStringLiteral("/talvore-fuzz-%1/").arg(::getpid());
    }();
    QDir(root).removeRecursively();
    QDir().mkpath(root);
    return root;
}

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

inline void WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

inline QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The two default-name words, as the English language file has them.
class FuzzTexts final : public TextLookup {
public:
    QString Text(const QString& key) const override {
        if (key == QLatin1String("add_profile_text")) {
            return QStringLiteral("Profile");
        }
        return key == QLatin1String("add_macro_text") ? QStringLiteral("Macro") : QString();
    }
};
