#pragma once
// The window as a screen reader sees it: a tree of named elements with roles, values and
// rectangles, built from the same layout the painter draws, and the hub through which the
// window thread hands finished trees to the threads of UI Automation and takes their requests
// back.
//
// A tree is immutable once built. The window thread builds a new one after every change while
// a client listens for events, and publishes it whole; readers on other threads keep the tree
// they took for as long as they use it. While nobody listens nothing is built: the published
// tree is only marked stale, and the first reader to find it stale asks the window thread for
// a fresh one (a client that reads the tree without listening for events still sees the
// window as it is, one call late at worst).

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/view/app_state.h"
#include "app/view/hit_target.h"
#include "app/view/layout.h"
#include "gfx/canvas.h"

namespace kestro::app {

// What an element is, as UI Automation's control types name it.
enum class AccessRole : std::uint8_t {
  Window = 0,       // the root: the client area of the window
  Button = 1,       // toolbar buttons and card rows (invoking a row copies it)
  Text = 2,         // title, subtitle, administrator note, loading sentence, toast
  Group = 3,        // a card, named by its heading
  ProgressBar = 4,  // a gauge, 0 to 100
};

// Which part of the window an element stands for. With `generation` (report parts only) it
// names the element across trees: a key found in the current tree is still the same element.
enum class AccessPart : std::uint8_t {
  Root = 0,
  Button = 1,   // a: the HitKind
  Title = 2,
  Subtitle = 3,
  Card = 4,     // a: section index
  Row = 5,      // a: section index, b: row index
  Gauge = 6,    // a: section index, b: row index
  Note = 7,
  Loading = 8,
  Toast = 9,
};

struct AccessKey {
  AccessPart part = AccessPart::Root;
  std::uint32_t generation = 0;  // of the report's structure; 0 for parts not from the report
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  friend bool operator==(const AccessKey&, const AccessKey&) = default;
};

inline constexpr std::int32_t kNoNode = -1;

struct AccessNode {
  AccessKey key;
  AccessRole role = AccessRole::Window;
  std::string name;
  gfx::RectF rect;             // client pixels, where it is drawn now (scroll applied)
  bool offscreen = false;      // wholly out of sight (scrolled under the toolbar or below)
  std::optional<float> percent;  // gauges: 0 to 100
  HitTarget action;            // what invoking it does; None: it cannot be invoked
  bool focusable = false;      // takes the keyboard focus (the same elements as `action`)
  bool live = false;           // a polite live region (the toast)
  std::int32_t parent = kNoNode;
  std::int32_t first_child = kNoNode;
  std::int32_t last_child = kNoNode;
  std::int32_t next = kNoNode;
  std::int32_t previous = kNoNode;
};

struct AccessTree {
  std::vector<AccessNode> nodes;  // nodes[0] is the root; every parent before its children
  std::int32_t focus = kNoNode;   // the element with the keyboard focus
  float content_top = 0;          // rows and texts above this line lie under the toolbar
  ClientSize client;
  std::uint32_t generation = 0;
  std::int64_t toast_stamp = 0;   // when the toast was shown (its clock's ticks)

  std::int32_t find(const AccessKey& key) const;
  // The innermost element drawn at the client point, the root when no other is; elements
  // hidden under the toolbar or scrolled away are not found.
  std::int32_t node_at(float x, float y) const;
};

// The tree of the window as painted now: the root's children are the toolbar buttons from left
// to right, the title and subtitle, the cards in reading order (each with its rows, a row with
// its gauge), the administrator note, the loading sentence, and the toast. Rows are named as
// they are copied ("label: value"). `generation` is stamped on the report's elements.
AccessTree build_access_tree(const AppState& state, ClientSize client,
                             gfx::TextMeasurer* measurer, std::uint32_t generation);

// A digest of the report's structure (card kinds and titles, row labels); it changes when an
// old row's indexes may mean another row. 0 without a report.
std::uint64_t report_structure(const Report* report);

// ---- Between the window thread and UI Automation's threads ---------------------------------

// What a client asked of an element; carried out on the window thread.
struct AccessRequest {
  enum class Kind : std::uint8_t { Invoke, Focus, Refresh };  // Refresh: build a fresh tree
  Kind kind = Kind::Invoke;
  AccessKey key;
  friend bool operator==(const AccessRequest&, const AccessRequest&) = default;
};

// Shared by the window thread and every provider object; all members are thread-safe.
class AccessHub {
 public:
  // `wake` is called (under the hub's lock) when a request arrives in an empty queue, to make
  // the window thread take the requests; on Windows it posts a message.
  explicit AccessHub(std::function<void()> wake);

  // The latest tree; null before the first one and after `close`.
  std::shared_ptr<const AccessTree> tree() const;
  // The same for a provider about to answer a client: when the tree is missing or stale, a
  // Refresh request is queued (once until the window thread takes its requests).
  std::shared_ptr<const AccessTree> read();
  // Window thread. Publishing makes the tree current; `mark_stale` says the window changed
  // without a new tree being built.
  void publish(std::shared_ptr<const AccessTree> tree);
  void mark_stale();
  bool stale() const;
  // The window is gone: no tree, no requests, no wake-ups, for good.
  void close();
  bool closed() const;

  // From any thread. False when the window is gone.
  bool request(const AccessRequest& request);
  // Window thread: everything asked since the last call, oldest first.
  std::vector<AccessRequest> take_requests();

 private:
  mutable std::mutex mutex_;
  std::function<void()> wake_;
  std::shared_ptr<const AccessTree> tree_;
  std::vector<AccessRequest> requests_;
  bool stale_ = false;
  bool refresh_asked_ = false;
  bool closed_ = false;

  void queue(const AccessRequest& request);  // with the lock held
};

// What the platform does with the trees the window thread builds.
class AccessSink {
 public:
  virtual ~AccessSink() = default;
  // Whether any UI Automation client listens for events (a cheap question, asked on every
  // update).
  virtual bool clients_listening() = 0;
  virtual void publish(std::shared_ptr<const AccessTree> tree) = 0;
  virtual void mark_stale() = 0;
  // Events, raised after the tree that carries the element was published.
  virtual void focus_changed(const AccessTree& tree, std::int32_t node) = 0;
  virtual void live_region_changed(const AccessTree& tree, std::int32_t node) = 0;
};

// Window thread: turns the state into published trees and events.
class AccessTreeSource {
 public:
  // While no client listens (and not `forced`), builds nothing and marks a published tree
  // stale. Otherwise builds the tree and publishes it; while clients listen it is compared
  // with the previous one: a new focus element raises the focus event, a new toast (text or
  // time) the live-region event. The first tree raises nothing. `forced`: a client is asking
  // right now.
  void update(const AppState& state, ClientSize client, gfx::TextMeasurer* measurer,
              AccessSink& sink, bool forced = false);

  std::uint64_t trees_built() const { return trees_built_; }
  const std::shared_ptr<const AccessTree>& last() const { return last_; }

 private:
  std::shared_ptr<const AccessTree> last_;
  std::uint64_t structure_ = 0;
  std::uint32_t generation_ = 0;
  std::uint64_t trees_built_ = 0;
};

}  // namespace kestro::app
