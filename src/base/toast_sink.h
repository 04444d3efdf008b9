#pragma once
// Where a short message for the user goes: the window shows it as a toast, or drops it when
// its state is not available (missing, or lent out to a modal loop).

#include <string>

namespace kestro {

class ToastSink {
 public:
  virtual ~ToastSink() = default;
  virtual void show_toast(std::string text) = 0;
};

}  // namespace kestro
