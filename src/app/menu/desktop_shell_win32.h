#pragma once
// Opening a document or web address through the desktop's own shell (the Explorer process
// that shows the desktop), which runs with the user's own rights: the documented way for a
// program raised through UAC to start something without its rights.

#include <windows.h>

#include <string>

namespace kestro::app {

// Asks the desktop's shell to open `target` ("open" verb, shown normally). The calling thread
// must have initialised COM. The result of the first call that failed, or S_OK; without a
// desktop shell (none runs, none answers) that is a failure too.
HRESULT open_from_desktop(const std::wstring& target);

}  // namespace kestro::app
