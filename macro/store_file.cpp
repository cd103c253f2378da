#include "macro/store_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool WriteFileWhole(const QString& path, const std::function<bool(QIODevice&)>& writeContent) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (!writeContent(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteAll(QIODevice& device, const void* data, qint64 size) {
    return device.write(static_cast<const char*>(data), size) == size;
}

bool ReadFileStart(const QString& path, qint64 maxBytes, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    bytes = file.read(maxBytes);
    return file.error() == QFileDevice::NoError;
}
