// A UI Automation client for the end-to-end tests: walks the running Kestro window's UI
// Automation tree through the flat client API (UiaNodeFromHandle, then UiaNavigate to the first
// child and each next sibling), as a screen reader in another process would. Only the calls
// this Wine implements are used (pattern invocation and rectangles are checked in-process by
// the Windows tests).
//
// It walks on request for as long as its standard input stays open: each input line "tree",
// "children" (the window and its children: the toolbar, the loading text or the cards, the
// toast) or "last" (only the window's last child, reached in one step: quick enough to catch a
// toast before it goes), optionally followed by a space and a tag, is answered on standard
// output (UTF-8, LF) with one line per element
//
//   <depth> TAB <automation id> TAB <control type id> TAB <1 when keyboard-focusable, else 0>
//           TAB <1 when it has the keyboard focus, else 0> TAB <name>
//
// and then "end 0 <tag>" (complete) or "end 1 <tag>" (no window, or a call failed). The root
// (depth 0) is the window itself; the automation id tells the parts apart whatever the
// interface language ("copy-all", "loading", "toast", "row-<card>-<row>", ...). The window's
// root element is held between walks and renewed when the window changed, so that a walk takes
// no more steps than it needs: under this Wine every step can meet a race in its COM (releasing
// an element's provider unregisters its interface while the call just answered is still
// counted), after which the window's UI Automation side answers no client any more.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <uiautomationcore.h>

#include <initializer_list>
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
constexpr PROPERTYID kHasKeyboardFocus = 30008;
constexpr PROPERTYID kIsKeyboardFocusable = 30009;
constexpr PROPERTYID kAutomationId = 30011;

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

  bool walk(Node node, int depth, int deepest) {
    if (!print(node, depth)) return false;
    if (depth == deepest) return true;
    Node child = nullptr;
    if (!step(node, NavigateDirection_FirstChild, child)) return false;
    while (child != nullptr) {
      const bool ok = walk(child, depth + 1, deepest);
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
    VARIANT id, type, focusable, focused, name;
    for (VARIANT* v : {&id, &type, &focusable, &focused, &name}) VariantInit(v);
    const bool read = SUCCEEDED(api_.get_property_value(node, kAutomationId, &id)) &&
                      SUCCEEDED(api_.get_property_value(node, kControlType, &type)) &&
                      SUCCEEDED(api_.get_property_value(node, kIsKeyboardFocusable, &focusable)) &&
                      SUCCEEDED(api_.get_property_value(node, kHasKeyboardFocus, &focused)) &&
                      SUCCEEDED(api_.get_property_value(node, kName, &name));
    if (read) {
      out += std::to_string(depth);
      out += '\t';
      append_text(id);
      out += '\t';
      out += std::to_string(type.vt == VT_I4 ? type.lVal : 0);
      out += '\t';
      out += is_true(focusable) ? '1' : '0';
      out += '\t';
      out += is_true(focused) ? '1' : '0';
      out += '\t';
      append_text(name);
      out += '\n';
    }
    for (VARIANT* v : {&id, &type, &focusable, &focused, &name}) VariantClear(v);
    return read;
  }

  static bool is_true(const VARIANT& v) { return v.vt == VT_BOOL && v.boolVal == VARIANT_TRUE; }

  void append_text(const VARIANT& v) {
    if (v.vt != VT_BSTR || v.bstrVal == nullptr) return;
    const int length = static_cast<int>(SysStringLen(v.bstrVal));
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, v.bstrVal, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, v.bstrVal, length, utf8.data(), bytes, nullptr, nullptr);
    out += utf8;
  }

  const Api& api_;
};

// One walk ("tree", "children" or "last") of the Kestro window, whose root element `root` is
// held for `held` and renewed when the window changed; its lines in `out`. False when the
// command is unknown, the window missing or a call failed.
bool walk_window(const Api& api, HWND& held, Node& root, const std::string& command,
                 std::string& out) {
  const HWND window = FindWindowW(L"Kestro.Main", L"Kestro");
  if (window != held) {
    if (root != nullptr) api.node_release(root);
    root = nullptr;
    held = window;
    if (window != nullptr && FAILED(api.node_from_handle(window, &root))) root = nullptr;
  }
  if (root == nullptr) return false;
  Walker walker(api);
  const bool complete = command == "last"       ? walker.last_child(root)
                        : command == "children" ? walker.walk(root, 0, 1)
                        : command == "tree"     ? walker.walk(root, 0, -1)
                                                : false;
  out = std::move(walker.out);
  return complete;
}

void write_stdout(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

// A line of standard input without its line end; false at the end of the input.
bool read_line(std::string& line) {
  line.clear();
  char c = 0;
  DWORD read = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &read, nullptr) && read == 1) {
    if (c == '\n') return true;
    if (c != '\r') line += c;
  }
  return !line.empty();
}

}  // namespace

int wmain() {
  (void)CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  Api api{};
  if (!load(api)) return 1;
  HWND held = nullptr;
  Node root = nullptr;
  for (std::string line, out; read_line(line);) {
    const std::size_t space = line.find(' ');
    const std::string tag = space == std::string::npos ? "" : line.substr(space + 1);
    const bool complete = walk_window(api, held, root, line.substr(0, space), out);
    write_stdout((complete ? out : std::string()) + "end " + (complete ? "0 " : "1 ") + tag + "\n");
  }
  if (root != nullptr) api.node_release(root);
  return 0;
}
