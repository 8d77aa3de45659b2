#include "module.h"

#include <atomic>

namespace kestrum::com::module {

namespace {

HINSTANCE moduleHandle = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

}  // namespace

void setHandle(HINSTANCE handle) noexcept {
    moduleHandle = handle;
}

std::wstring path() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(moduleHandle, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

void lock() noexcept {
    ++serverLocks;
}

void unlock() noexcept {
    --serverLocks;
}

bool inUse() noexcept {
    return liveObjects.load() != 0 || serverLocks.load() != 0;
}

ObjectCount::ObjectCount() noexcept {
    ++liveObjects;
}

ObjectCount::~ObjectCount() {
    --liveObjects;
}

}  // namespace kestrum::com::module
