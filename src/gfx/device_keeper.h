#pragma once
// One window's drawing device, replaced whenever it is lost. A device can be lost at any of
// its calls (a driver update, a GPU reset, a remote session): the call that finds the loss
// drops it and makes a new one at once, and a repaint is asked for, which the new device
// draws. When no new one can be made the window goes on without a device and the next frame
// tries again.

#include <concepts>
#include <memory>
#include <utility>

#include "gfx/canvas.h"

namespace kestro::gfx {

// What one call of the drawing device came to.
enum class DeviceStep { Done, Failed, Lost };

// A drawing device: buffers of a size, frames begun (cleared) and ended (shown). After `begin`
// gave Done, `end` must follow; after any other answer nothing may be drawn.
template <class D>
concept FrameDevice = requires(D& device, int size, Colour background) {
  { device.resize(size, size) } -> std::same_as<DeviceStep>;
  { device.begin(background) } -> std::same_as<DeviceStep>;
  { device.end() } -> std::same_as<DeviceStep>;
};

// Where new devices come from, and who repaints the window.
template <class Device>
class DeviceSource {
 public:
  virtual ~DeviceSource() = default;
  // A new device with buffers of the window's size; null when none can be made now.
  virtual std::unique_ptr<Device> make_device() = 0;
  virtual void repaint() = 0;
};

template <FrameDevice Device>
class DeviceKeeper {
 public:
  Device* device() const { return device_.get(); }
  // A window carries only one flip-model swap chain at a time: a device made outside the
  // keeper is made after the old one was dropped.
  void set(std::unique_ptr<Device> device) { device_ = std::move(device); }
  void drop() { device_.reset(); }

  void resize(DeviceSource<Device>& source, int width, int height) {
    if (device_ && device_->resize(width, height) == DeviceStep::Lost) replace(source);
  }
  // True when a frame began: draw it, then call end. Makes a device when there is none.
  bool begin(DeviceSource<Device>& source, Colour background) {
    if (!device_) device_ = source.make_device();
    if (!device_) return false;
    const DeviceStep step = device_->begin(background);
    if (step == DeviceStep::Lost) replace(source);
    return step == DeviceStep::Done;
  }
  void end(DeviceSource<Device>& source) {
    if (device_ && device_->end() == DeviceStep::Lost) replace(source);
  }

 private:
  // The frame that found the loss is lost with the device; the repaint draws the next one.
  void replace(DeviceSource<Device>& source) {
    device_.reset();  // before the new one is made
    device_ = source.make_device();
    if (device_) source.repaint();
  }

  std::unique_ptr<Device> device_;
};

}  // namespace kestro::gfx
