// The fake provider as an in-process COM server, for programs that find the WMI locator
// through the registry of the test prefix.
#include "Locator.h"

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != fakebcd::kClsidWbemLocator)
        return CLASS_E_CLASSNOTAVAILABLE;
    fakebcd::LocatorFactory* factory = new fakebcd::LocatorFactory();
    HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return fakebcd::LiveObjects() == 0 ? S_OK : S_FALSE;
}
