#include "ComObject.h"

#include <windows.h>
#include <ocidl.h>
#include <servprov.h>

#include <gtest/gtest.h>

#include <new>
#include <thread>
#include <vector>

#include "ClassFactory.h"
#include "ModuleLock.h"
#include "OutOfMemoryAnswer.h"

namespace trovelle {
namespace {

const HWND kWindowMark = reinterpret_cast<HWND>(0x1234);

// A class of two interfaces that says when it is destroyed.
class Probe final : public ComObject<Probe, IOleWindow, IServiceProvider> {
public:
    static const QITAB kInterfaces[];
    explicit Probe(bool* destroyed) : destroyed_(destroyed) {}
    ~Probe() { *destroyed_ = true; }

    STDMETHODIMP GetWindow(HWND* window) override {
        *window = kWindowMark;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP QueryService(REFGUID, REFIID, void** result) override {
        *result = nullptr;
        return E_FAIL;
    }

private:
    bool* destroyed_;
};

const QITAB Probe::kInterfaces[] = {
    Answers<Probe, IOleWindow>(IID_IOleWindow),
    Answers<Probe, IServiceProvider>(IID_IServiceProvider),
    {},
};

// The same, with its first reference held by its module (as the cache server's object).
class ModuleHeldProbe final : public ComObject<ModuleHeldProbe, IOleWindow> {
public:
    static constexpr ModuleLockUse kModuleLock = ModuleLockUse::BeyondTheFirst;
    static const QITAB kInterfaces[];
    explicit ModuleHeldProbe(bool* destroyed) : destroyed_(destroyed) {}
    ~ModuleHeldProbe() { *destroyed_ = true; }
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = kWindowMark;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    bool* destroyed_;
};

const QITAB ModuleHeldProbe::kInterfaces[] = {
    Answers<ModuleHeldProbe, IOleWindow>(IID_IOleWindow),
    {},
};

TEST(ComObject, AnswersFromItsTableKeepsOneIdentityAndHoldsTheModuleWhileItLives) {
    const LONG locksBefore = ModuleLock::Count();
    bool destroyed = false;
    Microsoft::WRL::ComPtr<IServiceProvider> services;
    ASSERT_EQ(Probe::CreateObject(nullptr, IID_PPV_ARGS(&services), &destroyed), S_OK);
    EXPECT_EQ(ModuleLock::Count(), locksBefore + 1);

    Microsoft::WRL::ComPtr<IOleWindow> window;
    ASSERT_EQ(services.As(&window), S_OK);
    HWND answered = nullptr;
    EXPECT_EQ(window->GetWindow(&answered), S_OK);
    EXPECT_EQ(answered, kWindowMark) << "the table's offset leads to the right interface";

    Microsoft::WRL::ComPtr<IUnknown> fromWindow, fromServices;
    ASSERT_EQ(window.As(&fromWindow), S_OK);
    ASSERT_EQ(services.As(&fromServices), S_OK);
    EXPECT_EQ(fromWindow.Get(), fromServices.Get()) << "one IUnknown whatever is asked";

    void* missing = reinterpret_cast<void*>(1);
    EXPECT_EQ(window->QueryInterface(IID_IPersist, &missing), E_NOINTERFACE);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(window->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    window.Reset();
    fromWindow.Reset();
    fromServices.Reset();
    EXPECT_FALSE(destroyed);
    services.Reset();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(ModuleLock::Count(), locksBefore);
}

TEST(ComObject, AnObjectItsModuleHoldsLocksTheModuleOnlyForOtherReferences) {
    const LONG locksBefore = ModuleLock::Count();
    bool destroyed = false;
    Microsoft::WRL::ComPtr<ModuleHeldProbe> own = ModuleHeldProbe::Make(&destroyed);
    ASSERT_TRUE(own);
    EXPECT_EQ(ModuleLock::Count(), locksBefore);
    {
        Microsoft::WRL::ComPtr<IOleWindow> client;
        ASSERT_EQ(own.As(&client), S_OK);
        EXPECT_EQ(ModuleLock::Count(), locksBefore + 1);
    }
    EXPECT_EQ(ModuleLock::Count(), locksBefore);
    own.Reset();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(ModuleLock::Count(), locksBefore);
}

TEST(ComObject, ReferencesTakenOnManyThreadsAtOnceAreCountedExactly) {
    bool destroyed = false;
    Microsoft::WRL::ComPtr<Probe> probe = Probe::Make(&destroyed);
    ASSERT_TRUE(probe);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&] {
            for (int round = 0; round < 100000; ++round) {
                probe.Get()->AddRef();
                probe.Get()->Release();
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_FALSE(destroyed) << "a lost count would have destroyed it early";
    probe.Reset();
    EXPECT_TRUE(destroyed);
}

TEST(ComObject, AClassNotMadeForAggregationRefusesAnOuterObject) {
    bool destroyed = false;
    Microsoft::WRL::ComPtr<Probe> outer = Probe::Make(&destroyed);
    bool innerDestroyed = false;
    Microsoft::WRL::ComPtr<IUnknown> inner;
    EXPECT_EQ(Probe::CreateObject(static_cast<IOleWindow*>(outer.Get()), IID_IUnknown,
                                  reinterpret_cast<void**>(inner.GetAddressOf()), &innerDestroyed),
              CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(inner);
    EXPECT_EQ(Probe::CreateObject(nullptr, IID_IUnknown, nullptr, &innerDestroyed), E_POINTER);
}

HRESULT CreateProbe(IUnknown* outer, REFIID iid, void** result) {
    static bool destroyed = false;
    return Probe::CreateObject(outer, iid, result, &destroyed);
}

const CLSID kProbeClass = {0x5c1a2b3d, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99}};

TEST(ComObject, ClassObjectsComeFromTheTableAndOnlyLockServerLocksTheModule) {
    const ClassEntry classes[] = {{kProbeClass, &CreateProbe}};
    const LONG locksBefore = ModuleLock::Count();
    Microsoft::WRL::ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObjectFromTable(classes, kProbeClass, IID_PPV_ARGS(&factory)), S_OK);
    EXPECT_EQ(ModuleLock::Count(), locksBefore) << "a class object does not keep the module";

    Microsoft::WRL::ComPtr<IOleWindow> made;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&made)), S_OK);
    EXPECT_EQ(ModuleLock::Count(), locksBefore + 1);
    made.Reset();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(ModuleLock::Count(), locksBefore + 1);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(ModuleLock::Count(), locksBefore);

    Microsoft::WRL::ComPtr<IClassFactory> other;
    EXPECT_EQ(GetClassObjectFromTable(classes, IID_IOleWindow, IID_PPV_ARGS(&other)),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(other);
}

TEST(ComObject, AMethodWhoseAllocationFailsAnswersOutOfMemoryInsteadOfEndingTheProcess) {
    // What operator new throws when the heap has nothing left (asking for more than the system
    // has takes Wine most of a minute to refuse).
    EXPECT_EQ(AnswerOutOfMemory([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(AnswerOutOfMemory([] { return S_FALSE; }), S_FALSE) << "other answers pass through";
}

}  // namespace
}  // namespace trovelle
