// Imports dwmapi.dll directly, as Kestro.exe once did: the control of planted_dll_e2e.sh.

#include <windows.h>
#include <dwmapi.h>

int main() {
  BOOL composed = FALSE;
  return SUCCEEDED(DwmIsCompositionEnabled(&composed)) ? 0 : 1;
}
