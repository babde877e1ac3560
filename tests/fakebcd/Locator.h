// The fake WMI locator and its class factory: what CoCreateInstance of CLSID_WbemLocator
// reaches, through CoRegisterClassObject in-process or through the DLL.
#pragma once
#include "Runtime.h"

#include <windows.h>
#include <wbemidl.h>

namespace fakebcd {

// {4590F811-1D3A-11D0-891F-00AA004B2E24}
extern const CLSID kClsidWbemLocator;

class Locator final : public IWbemLocator, private CountedObject {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // Only root\wmi is served.
    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR resource, const BSTR user, const BSTR password,
                                            const BSTR locale, LONG flags, const BSTR authority,
                                            IWbemContext* context, IWbemServices** services) override;

  private:
    ~Locator() = default;
    LONG refs_ = 1;
};

class LocatorFactory final : public IClassFactory, private CountedObject {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  private:
    ~LocatorFactory() = default;
    LONG refs_ = 1;
};

} // namespace fakebcd
