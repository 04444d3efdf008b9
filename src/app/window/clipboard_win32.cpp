#include "app/window/clipboard_win32.h"

#include <cstring>
#include <string>

#include "app/view/text_report.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"

namespace kestro::app {
namespace {

// Closes the clipboard when the write ends, whichever way it ends.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool is_open() const { return open_; }

 private:
  bool open_;
};

// A movable global block that is freed unless the clipboard took it over.
class GlobalBlock {
 public:
  explicit GlobalBlock(SIZE_T bytes) : handle_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
  ~GlobalBlock() {
    if (handle_ != nullptr) GlobalFree(handle_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  HGLOBAL get() const { return handle_; }
  void release() { handle_ = nullptr; }

 private:
  HGLOBAL handle_;
};

// The user sees no toast; the trace says which step failed.
bool clipboard_failed(std::string_view step) {
  trace_failure(step, HRESULT_FROM_WIN32(GetLastError()));
  return false;
}

}  // namespace

bool set_clipboard_text(HWND owner, std::string_view text) {
  std::wstring wide = to_wide(to_crlf(text));
  const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);  // with the terminating zero

  OpenedClipboard clipboard(owner);
  if (!clipboard.is_open()) return clipboard_failed("OpenClipboard");
  // Another program's text left in place beside ours would be no harm; the copy goes on.
  if (!EmptyClipboard()) (void)clipboard_failed("EmptyClipboard");

  GlobalBlock block(bytes);
  if (block.get() == nullptr) return clipboard_failed("GlobalAlloc for the clipboard");
  void* memory = GlobalLock(block.get());
  if (memory == nullptr) return clipboard_failed("GlobalLock for the clipboard");
  std::memcpy(memory, wide.c_str(), bytes);
  GlobalUnlock(block.get());

  if (SetClipboardData(CF_UNICODETEXT, block.get()) == nullptr) return clipboard_failed("SetClipboardData");
  block.release();  // the clipboard owns it now
  return true;
}

}  // namespace kestro::app
