// A UI Automation client for the window end-to-end test: finds the running Kestro window and
// walks its whole UI Automation tree through the flat client API (UiaNodeFromHandle, then
// UiaNavigate to the first child and each next sibling), as a screen reader in another process
// would. One line per element on standard output, as UTF-8 with LF:
//
//   <depth> TAB <control type id> TAB <1 when keyboard-focusable, else 0> TAB <name>
//
// The root (depth 0) is the window itself. With `--last` only the window's last child is
// printed (depth 1), reached in one step: quick enough to catch a toast before it goes.
// Only the calls this Wine implements are used (pattern invocation and rectangles are checked
// in-process by the Windows tests).
// Exit code 0 after a complete walk, 1 when the window or UI Automation is missing or a call
// fails, 2 for usage.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <uiautomationcore.h>

#include <string>

namespace {

// The flat client API, as uiautomationcoreapi.h declares it (MinGW lacks these parts).
using Node = struct NodeHandle*;  // HUIANODE
enum class Condition : int { True = 0 };
struct UiaCondition {
  Condition type;
};
struct UiaCacheRequest {
  UiaCondition* view_condition;
  int scope;  // TreeScope
  PROPERTYID* properties;
  int property_count;
  PATTERNID* patterns;
  int pattern_count;
  int element_mode;  // AutomationElementMode
};
constexpr int kTreeScopeElement = 1;
constexpr int kElementModeFull = 1;
constexpr PROPERTYID kControlType = 30003;
constexpr PROPERTYID kName = 30005;
constexpr PROPERTYID kIsKeyboardFocusable = 30009;

struct Api {
  HRESULT(WINAPI* node_from_handle)(HWND, Node*);
  HRESULT(WINAPI* navigate)(Node, NavigateDirection, UiaCondition*, UiaCacheRequest*, SAFEARRAY**,
                            BSTR*);
  HRESULT(WINAPI* get_property_value)(Node, PROPERTYID, VARIANT*);
  HRESULT(WINAPI* node_from_variant)(VARIANT*, Node*);
  BOOL(WINAPI* node_release)(Node);
};

template <class F>
bool resolve(HMODULE module, const char* name, F& out) {
  out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return out != nullptr;
}

bool load(Api& api) {
  HMODULE module = LoadLibraryW(L"uiautomationcore.dll");
  return module != nullptr && resolve(module, "UiaNodeFromHandle", api.node_from_handle) &&
         resolve(module, "UiaNavigate", api.navigate) &&
         resolve(module, "UiaGetPropertyValue", api.get_property_value) &&
         resolve(module, "UiaHUiaNodeFromVariant", api.node_from_variant) &&
         resolve(module, "UiaNodeRelease", api.node_release);
}

class Walker {
 public:
  explicit Walker(const Api& api) : api_(api) {}

  bool last_child(Node root) {
    Node last = nullptr;
    if (!step(root, NavigateDirection_LastChild, last) || last == nullptr) return false;
    const bool printed = print(last, 1);
    api_.node_release(last);
    return printed;
  }

  bool walk(Node node, int depth) {
    if (!print(node, depth)) return false;
    Node child = nullptr;
    if (!step(node, NavigateDirection_FirstChild, child)) return false;
    while (child != nullptr) {
      const bool ok = walk(child, depth + 1);
      Node next = nullptr;
      const bool stepped = ok && step(child, NavigateDirection_NextSibling, next);
      api_.node_release(child);
      if (!stepped) return false;
      child = next;
    }
    return true;
  }

  std::string out;

 private:
  // The element in `direction`, or null when there is none.
  bool step(Node from, NavigateDirection direction, Node& to) {
    to = nullptr;
    UiaCondition all{Condition::True};
    UiaCacheRequest request{&all, kTreeScopeElement, nullptr, 0, nullptr, 0, kElementModeFull};
    SAFEARRAY* data = nullptr;
    BSTR structure = nullptr;
    const HRESULT hr = api_.navigate(from, direction, &all, &request, &data, &structure);
    if (structure != nullptr) SysFreeString(structure);
    if (FAILED(hr)) return false;
    if (data == nullptr) return true;
    LONG index[2] = {0, 0};
    VARIANT element;
    VariantInit(&element);
    bool ok = SUCCEEDED(SafeArrayGetElement(data, index, &element)) &&
              SUCCEEDED(api_.node_from_variant(&element, &to));
    VariantClear(&element);
    SafeArrayDestroy(data);
    return ok;
  }

  bool print(Node node, int depth) {
    VARIANT type, focusable, name;
    VariantInit(&type);
    VariantInit(&focusable);
    VariantInit(&name);
    if (FAILED(api_.get_property_value(node, kControlType, &type)) ||
        FAILED(api_.get_property_value(node, kIsKeyboardFocusable, &focusable)) ||
        FAILED(api_.get_property_value(node, kName, &name))) {
      return false;
    }
    out += std::to_string(depth);
    out += '\t';
    out += std::to_string(type.vt == VT_I4 ? type.lVal : 0);
    out += '\t';
    out += (focusable.vt == VT_BOOL && focusable.boolVal == VARIANT_TRUE) ? '1' : '0';
    out += '\t';
    if (name.vt == VT_BSTR && name.bstrVal != nullptr) {
      const int length = static_cast<int>(SysStringLen(name.bstrVal));
      const int bytes =
          WideCharToMultiByte(CP_UTF8, 0, name.bstrVal, length, nullptr, 0, nullptr, nullptr);
      std::string utf8(static_cast<std::size_t>(bytes), '\0');
      WideCharToMultiByte(CP_UTF8, 0, name.bstrVal, length, utf8.data(), bytes, nullptr, nullptr);
      out += utf8;
    }
    out += '\n';
    VariantClear(&type);
    VariantClear(&focusable);
    VariantClear(&name);
    return true;
  }

  const Api& api_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool last_only = argc == 2 && std::wstring(argv[1]) == L"--last";
  if (argc != 1 && !last_only) return 2;
  (void)CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  Api api{};
  if (!load(api)) return 1;
  HWND window = FindWindowW(L"Kestro.Main", L"Kestro");
  if (window == nullptr) return 1;
  Node root = nullptr;
  if (FAILED(api.node_from_handle(window, &root)) || root == nullptr) return 1;
  Walker walker(api);
  const bool complete = last_only ? walker.last_child(root) : walker.walk(root, 0);
  api.node_release(root);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), walker.out.data(),
            static_cast<DWORD>(walker.out.size()), &written, nullptr);
  return complete ? 0 : 1;
}
