// Bookkeeping of the DLL: its module handle, and the counts of live objects and server locks
// that decide whether it may be unloaded.
#pragma once

#include <windows.h>

#include <string>

namespace kestrum::com::module {

void setHandle(HINSTANCE handle) noexcept;

// The full path of Kestrum.dll; throws std::bad_alloc, empty when the system cannot tell.
std::wstring path();

void lock() noexcept;
void unlock() noexcept;

// True while an object or a lock is outstanding.
bool inUse() noexcept;

// Counts one live object from construction to destruction.
class ObjectCount {
  public:
    ObjectCount() noexcept;
    ObjectCount(const ObjectCount&) = delete;
    ObjectCount& operator=(const ObjectCount&) = delete;
    ~ObjectCount();
};

}  // namespace kestrum::com::module
