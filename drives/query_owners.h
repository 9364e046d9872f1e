// Owners for what a DriveQuery hands out: an open volume or device handle, a
// set of device interfaces, and a changed process error mode. Each destructor
// makes the matching release call through the same query, on every path.
#pragma once

#include "drives/drive_query.h"

namespace drives {

class QueryHandle {
public:
    QueryHandle(DriveQuery& query, HANDLE handle) : query_(query), handle_(handle) {}
    ~QueryHandle() {
        if (valid()) query_.CloseDeviceHandle(handle_);
    }
    QueryHandle(const QueryHandle&) = delete;
    QueryHandle& operator=(const QueryHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    DriveQuery& query_;
    HANDLE handle_;
};

class InterfaceSet {
public:
    InterfaceSet(DriveQuery& query, HDEVINFO set) : query_(query), set_(set) {}
    ~InterfaceSet() {
        if (valid()) query_.CloseInterfaceSet(set_);
    }
    InterfaceSet(const InterfaceSet&) = delete;
    InterfaceSet& operator=(const InterfaceSet&) = delete;

    bool valid() const { return set_ != INVALID_HANDLE_VALUE && set_ != nullptr; }
    HDEVINFO get() const { return set_; }

private:
    DriveQuery& query_;
    HDEVINFO set_;
};

class ErrorModeScope {
public:
    ErrorModeScope(DriveQuery& query, UINT mode) : query_(query), previous_(query.ExchangeErrorMode(mode)) {}
    ~ErrorModeScope() { query_.ExchangeErrorMode(previous_); }
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;

private:
    DriveQuery& query_;
    UINT previous_;
};

}  // namespace drives
