// A shared library loaded at run time (the driver and hook libraries beside the program), with its
// exports bound by name into typed function pointers.
#pragma once

#include <QString>
#include <QStringList>

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { Unload(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    // Loads the library at `path`, unloading any library held before. On failure nothing is held
    // and ErrorString() says why.
    bool Load(const QString& path);
    // Every pointer bound from the library becomes invalid.
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr; }
    QString Path() const { return path_; }
    QString ErrorString() const { return error_; }

    // The export `name` as a pointer of type Fn*, or null when nothing is loaded or the library
    // has no such export.
    template <typename Fn>
    Fn* Resolve(const char* name) const {
        // POSIX guarantees that a function's address survives the trip through void*.
        return reinterpret_cast<Fn*>(Symbol(name));
    }

private:
    void* Symbol(const char* name) const;

    void* handle_ = nullptr;
    QString path_;
    QString error_;
};

// Fills a table of entry points export by export:
//   ExportBinder binder(library);
//   binder.Bind("installhook", table.install).Bind("removehook", table.remove);
//   if (!binder.Complete()) ...
// Each slot is written, so a library that failed to load leaves every slot null.
class ExportBinder {
public:
    explicit ExportBinder(const DynamicLibrary& library) : library_(library) {}

    template <typename Fn>
    ExportBinder& Bind(const char* name, Fn*& slot) {
        slot = library_.Resolve<Fn>(name);
        if (slot == nullptr) {
            missing_.append(QString::fromLatin1(name));
        }
        return *this;
    }

    bool Complete() const { return missing_.isEmpty(); }
    QStringList Missing() const { return missing_; }

private:
    const DynamicLibrary& library_;
    QStringList missing_;
};
