#pragma once
// The window's whole mutable user-interface state, and the window thread's slot that lends it
// to one message handler at a time.
//
// The platform parts of the window (window handle, drawing device) live with the Windows
// host next to the slot; everything here is plain data that the portable core changes.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/view/hit_target.h"
#include "app/view/palette.h"
#include "app/view/scale.h"
#include "probe/report.h"

namespace kestro::app {

using Clock = std::chrono::steady_clock;

// A focused row told by what it shows rather than by its position, so that the focus can find
// it again in the next report: the card's kind, the row's label and, among rows of that card
// with the same label, which one (0 for the first).
struct FocusedRow {
  SectionKind card = SectionKind::Summary;
  std::string label;
  std::size_t occurrence = 0;
};

struct AppState {
  HitTarget hover;                           // what the pointer is over
  std::optional<Report> report;              // absent while the first probe runs and after a refresh
  std::optional<std::string> toast;          // message at the bottom of the window
  Clock::time_point toast_shown_at{};        // when `toast` was set
  std::optional<Clock::time_point> loading_since;  // set while a probe run is in progress
  std::uint32_t dpi = 96;
  float scroll = 0;                          // kept within [0, max_scroll]
  bool dark = false;
  bool mouse_tracked = false;                // a leave notification has been requested
  // Where the left button went down in the client area; a release acts only after a press.
  std::optional<HitTarget> pressed;

  // Keyboard access (see keyboard_focus.h).
  HitTarget focus;                           // None: nothing has the keyboard focus
  bool focus_visible = false;                // focus rectangle drawn: keys used since a click
  std::optional<FocusedRow> focus_memory;    // the focused row while a refresh replaces the report
  std::optional<SystemColours> high_contrast;  // the system colours while high contrast is on

  // Every design measure is multiplied by this; the DPI counts as at least 96.
  float scale() const { return scale_of_dpi(dpi); }
  // The report on show; null while loading.
  const Report* shown_report() const { return report ? &*report : nullptr; }
};

// Holds the state (or nothing) plus an in-use flag. A handler claims it; a handler that runs
// while another handler of the same thread holds the state (re-entrant dispatch from a modal
// loop) finds it in use and backs off. Window thread only; not thread-safe by design.
template <class T>
class StateSlot {
 public:
  enum class Failure : std::uint8_t { None, Empty, InUse };

  class Claim {
   public:
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;
    Claim(Claim&& other) noexcept
        : slot_(std::exchange(other.slot_, nullptr)), failure_(other.failure_) {}
    Claim& operator=(Claim&&) = delete;
    ~Claim() { release(); }

    explicit operator bool() const { return slot_ != nullptr; }
    T& operator*() const { return *slot_->value_; }
    T* operator->() const { return slot_->value_.get(); }
    // Why the claim is empty: Empty (no state) or InUse (someone holds it); None when held.
    Failure failure() const { return failure_; }

    // Gives the state back before the guard ends (for instance before a modal loop).
    void release() {
      if (slot_ == nullptr) return;
      StateSlot* slot = std::exchange(slot_, nullptr);
      slot->in_use_ = false;
      if (slot->drop_on_release_) {
        slot->drop_on_release_ = false;
        slot->value_.reset();
        return;
      }
      if (slot->release_hook_) slot->release_hook_();
    }

   private:
    friend class StateSlot;
    Claim(StateSlot* slot, Failure failure) : slot_(slot), failure_(failure) {}
    StateSlot* slot_;
    Failure failure_;
  };

  StateSlot() = default;
  StateSlot(const StateSlot&) = delete;
  StateSlot& operator=(const StateSlot&) = delete;

  // Puts a state in (the window is ready); a previous one is dropped unless it is in use.
  void put(std::unique_ptr<T> value) {
    if (in_use_) return;
    value_ = std::move(value);
  }

  // Takes the state out (window destroyed). While a handler holds it, the state is dropped
  // when that handler releases it instead, so nobody is left with a dangling reference.
  std::unique_ptr<T> take() {
    if (in_use_) {
      drop_on_release_ = true;
      return nullptr;
    }
    return std::move(value_);
  }

  Claim claim() {
    if (!value_ || drop_on_release_) return Claim(nullptr, Failure::Empty);
    if (in_use_) return Claim(nullptr, Failure::InUse);
    in_use_ = true;
    return Claim(this, Failure::None);
  }

  bool empty() const { return !value_ || drop_on_release_; }
  bool in_use() const { return in_use_; }

  // Runs after every claim is given back while the state is still there, so whatever was
  // turned away while the state was lent out can be done now.
  void set_release_hook(std::function<void()> hook) { release_hook_ = std::move(hook); }

 private:
  std::function<void()> release_hook_;
  std::unique_ptr<T> value_;
  bool in_use_ = false;
  bool drop_on_release_ = false;
};

}  // namespace kestro::app
