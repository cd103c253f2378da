// The driver and hook libraries beside the program, loaded at run time and bound by export name.
// A library that does not load, or lacks one of its exports, is not used at all: every entry point
// stays null, and callers check Bound() before calling anything.
#pragma once

#include <QString>

#include "link/driver_functions.h"
#include "sys/dynamic_library.h"

class DriverLibrary {
public:
    // Loads and binds Set_VIDPID .. GetFeature; false (nothing bound) on failure.
    bool Load(const QString& path);
    // Forgets the entry points, then unloads.
    void Unload();
    const DriverFunctions& Functions() const { return functions_; }
    DriverFunctions& Functions() { return functions_; }
    QString ErrorString() const { return error_; }

private:
    DynamicLibrary library_;
    DriverFunctions functions_;
    QString error_;
};

class HookLibrary {
public:
    // Loads and binds installmousehook .. mousewheelenable; false (nothing bound) on failure.
    bool Load(const QString& path);
    void Unload();
    const HookTable& Table() const { return table_; }
    QString ErrorString() const { return error_; }

private:
    DynamicLibrary library_;
    HookTable table_;
    QString error_;
};
