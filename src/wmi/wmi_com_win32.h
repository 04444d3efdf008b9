#pragma once
// WMI over COM. The calling thread must have initialised COM.

#include <memory>
#include <string_view>

#include "wmi/wait_budget.h"
#include "wmi/wmi.h"

namespace kestro::wmi {

// Opens a session on `wmi_namespace` (for example "ROOT\\CIMV2") whose queries share `run`;
// null when the locator, the connection or the proxy security cannot be set up.
std::unique_ptr<WmiSession> connect_wmi(std::string_view wmi_namespace,
                                        std::shared_ptr<RunBudget> run);

}  // namespace kestro::wmi
