#pragma once
// What UI Automation's provider side needs beyond MinGW's headers: the identifiers, the two
// pattern interfaces the window implements (Invoke, RangeValue), and the flat functions of
// uiautomationcore.dll, which MinGW has no import library for and which are therefore looked up
// at run time. Only the provider side is declared here; `uiautomationcoreapi.h` is not used.

#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

namespace kestro::uia {

inline constexpr LONG kRootObjectId = -25;  // UiaRootObjectId
inline constexpr int kAppendRuntimeId = 3;  // UiaAppendRuntimeId

inline constexpr HRESULT kElementNotEnabled = static_cast<HRESULT>(0x80040200);
inline constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);
inline constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509);

// Control types.
inline constexpr int kButton = 50000;
inline constexpr int kProgressBar = 50012;
inline constexpr int kText = 50020;
inline constexpr int kGroup = 50026;
inline constexpr int kWindow = 50032;

// Patterns.
inline constexpr PATTERNID kInvokePattern = 10000;
inline constexpr PATTERNID kRangeValuePattern = 10003;

// Properties.
inline constexpr PROPERTYID kControlType = 30003;
inline constexpr PROPERTYID kName = 30005;
inline constexpr PROPERTYID kHasKeyboardFocus = 30008;
inline constexpr PROPERTYID kIsKeyboardFocusable = 30009;
inline constexpr PROPERTYID kIsEnabled = 30010;
inline constexpr PROPERTYID kAutomationId = 30011;
inline constexpr PROPERTYID kIsControlElement = 30016;
inline constexpr PROPERTYID kIsContentElement = 30017;
inline constexpr PROPERTYID kIsOffscreen = 30022;
inline constexpr PROPERTYID kIsInvokePatternAvailable = 30031;
inline constexpr PROPERTYID kIsRangeValuePatternAvailable = 30033;
inline constexpr PROPERTYID kRangeValueValue = 30047;
inline constexpr PROPERTYID kRangeValueIsReadOnly = 30048;
inline constexpr PROPERTYID kRangeValueMinimum = 30049;
inline constexpr PROPERTYID kRangeValueMaximum = 30050;
inline constexpr PROPERTYID kLiveSetting = 30135;
inline constexpr int kLivePolite = 1;

// Events.
inline constexpr EVENTID kFocusChangedEvent = 20005;
inline constexpr EVENTID kInvokedEvent = 20009;
inline constexpr EVENTID kLiveRegionChangedEvent = 20024;

// The flat functions of uiautomationcore.dll the window calls. Loaded once, never unloaded
// (providers may be called until the process ends); null when the library or one of the
// required functions is missing. `disconnect_provider` may be null on its own (older systems).
struct Functions {
  LRESULT(WINAPI* return_raw_element_provider)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
  HRESULT(WINAPI* host_provider_from_hwnd)(HWND, IRawElementProviderSimple**);
  BOOL(WINAPI* clients_are_listening)();
  HRESULT(WINAPI* raise_automation_event)(IRawElementProviderSimple*, EVENTID);
  HRESULT(WINAPI* disconnect_provider)(IRawElementProviderSimple*);
};
const Functions* functions();

}  // namespace kestro::uia

// The two pattern interfaces, as uiautomationcore.idl defines them.
MIDL_INTERFACE("54fcb24b-e18e-47a2-b4d3-eccbe77599a2")
IInvokeProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
__CRT_UUID_DECL(IInvokeProvider, 0x54fcb24b, 0xe18e, 0x47a2, 0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75,
                0x99, 0xa2)

MIDL_INTERFACE("36dc7aef-33e6-4691-afe1-2be7274b3d33")
IRangeValueProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetValue(double value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Value(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* read_only) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Maximum(double* maximum) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Minimum(double* minimum) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LargeChange(double* change) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SmallChange(double* change) = 0;
};
__CRT_UUID_DECL(IRangeValueProvider, 0x36dc7aef, 0x33e6, 0x4691, 0xaf, 0xe1, 0x2b, 0xe7, 0x27, 0x4b,
                0x3d, 0x33)
