#pragma once
// What the window's UI Automation providers say about an element, as VARIANT values and texts.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "app/access/accessibility_tree.h"

namespace kestro::app {

void set_bool(VARIANT* out, bool value);
void set_int(VARIANT* out, int value);
void set_double(VARIANT* out, double value);
// A BSTR of the text; E_OUTOFMEMORY when none could be made.
HRESULT set_string(VARIANT* out, std::string_view utf8);

// The element's AutomationId, stable across reports of the same structure ("row-1-2").
std::string automation_id(const AccessKey& key);
// The control type UI Automation reports for a role.
int control_type_of(AccessRole role);

}  // namespace kestro::app
