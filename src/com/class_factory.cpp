#include "class_factory.h"

#include "arithm_object.h"
#include "module.h"

namespace kestrum::com {

namespace {

class ArithmFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    // The factory is never destroyed; its references count as server locks.
    ULONG STDMETHODCALLTYPE AddRef() override {
        module::lock();
        return 2;
    }

    ULONG STDMETHODCALLTYPE Release() override {
        module::unlock();
        return 1;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId,
                                             void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return ArithmObject::create(interfaceId, object);
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            module::lock();
        } else {
            module::unlock();
        }
        return S_OK;
    }
};

ArithmFactory factory;

}  // namespace

IClassFactory& arithmFactory() noexcept {
    return factory;
}

}  // namespace kestrum::com
