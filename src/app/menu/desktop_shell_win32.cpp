#include "app/menu/desktop_shell_win32.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "base/automation_win32.h"

namespace kestro::app {
namespace {

using Microsoft::WRL::ComPtr;

// The desktop's shell dispatch object: the shell windows' desktop entry, its browser, the
// active view's background and that view's application.
HRESULT desktop_shell(ComPtr<IShellDispatch2>& shell) {
  ComPtr<IShellWindows> windows;
  HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                IID_PPV_ARGS(windows.GetAddressOf()));
  if (FAILED(hr)) return hr;
  Variant location;
  V_VT(location.get()) = VT_I4;
  V_I4(location.get()) = CSIDL_DESKTOP;
  Variant root;
  long window = 0;
  ComPtr<IDispatch> desktop;
  hr = windows->FindWindowSW(location.get(), root.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                             desktop.GetAddressOf());
  if (hr != S_OK || !desktop) return FAILED(hr) ? hr : E_FAIL;  // S_FALSE: no desktop window
  ComPtr<IServiceProvider> services;
  if (FAILED(hr = desktop.As(&services))) return hr;
  ComPtr<IShellBrowser> browser;
  if (FAILED(hr = services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(browser.GetAddressOf())))) return hr;
  ComPtr<IShellView> view;
  if (FAILED(hr = browser->QueryActiveShellView(view.GetAddressOf()))) return hr;
  ComPtr<IDispatch> background;
  if (FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(background.GetAddressOf())))) return hr;
  ComPtr<IShellFolderViewDual> folder_view;
  if (FAILED(hr = background.As(&folder_view))) return hr;
  ComPtr<IDispatch> application;
  if (FAILED(hr = folder_view->get_Application(application.GetAddressOf()))) return hr;
  if (!application) return E_FAIL;
  return application.As(&shell);
}

}  // namespace

HRESULT open_from_desktop(const std::wstring& target) {
  ComPtr<IShellDispatch2> shell;
  HRESULT hr = desktop_shell(shell);
  if (FAILED(hr)) return hr;
  if (!shell) return E_FAIL;
  const BSTR file = SysAllocStringLen(target.data(), static_cast<UINT>(target.size()));
  if (file == nullptr) return E_OUTOFMEMORY;
  Variant arguments;
  Variant directory;
  Variant operation;
  V_VT(operation.get()) = VT_BSTR;
  V_BSTR(operation.get()) = SysAllocString(L"open");
  Variant show;
  V_VT(show.get()) = VT_I4;
  V_I4(show.get()) = SW_SHOWNORMAL;
  hr = V_BSTR(operation.get()) != nullptr
           ? shell->ShellExecute(file, *arguments.get(), *directory.get(), *operation.get(), *show.get())
           : E_OUTOFMEMORY;
  SysFreeString(file);
  return hr;
}

}  // namespace kestro::app
