#include "sys/dynamic_library.h"

#include <dlfcn.h>

#include <QFile>

#include <utility>

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool DynamicLibrary::Load(const QString& path) {
    Unload();
    error_.clear();
    if (path.isEmpty()) {
        error_ = QStringLiteral("no library path given");
        return false;
    }
    // RTLD_LOCAL keeps one library's symbols from binding another's; RTLD_NOW reports a missing
    // dependency here rather than at the first call.
    dlerror();
    handle_ = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        error_ = reason != nullptr ? QString::fromLocal8Bit(reason)
                                   : QStringLiteral("cannot load %1").arg(path);
        return false;
    }
    path_ = path;
    return true;
}

void DynamicLibrary::Unload() {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
    path_.clear();
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) {
        return nullptr;
    }
    return dlsym(handle_, name);
}
