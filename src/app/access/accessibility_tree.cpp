#include "app/access/accessibility_tree.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/view/text_report.h"
#include "app/view/texts.h"
#include "i18n/product.h"
#include "i18n/translate.h"

namespace kestro::app {

namespace {

// Parts drawn in the scrolling content, which the toolbar covers.
bool is_content(AccessPart part) {
  switch (part) {
    case AccessPart::Title:
    case AccessPart::Subtitle:
    case AccessPart::Card:
    case AccessPart::Row:
    case AccessPart::Gauge:
    case AccessPart::Note:
      return true;
    default:
      return false;
  }
}

std::string button_name(const ToolbarButton& button) {
  switch (button.kind) {
    case HitKind::Menu: return std::string(translate(texts::kMenu));
    case HitKind::Refresh: return std::string(translate(texts::kRefresh));
    default: return button.caption;
  }
}

class TreeBuilder {
 public:
  explicit TreeBuilder(AccessTree& tree) : tree_(tree) {}

  std::int32_t add(std::int32_t parent, AccessNode node) {
    const auto index = static_cast<std::int32_t>(tree_.nodes.size());
    node.parent = parent;
    if (parent != kNoNode) {
      AccessNode& p = tree_.nodes[static_cast<std::size_t>(parent)];
      if (p.last_child == kNoNode) {
        p.first_child = index;
      } else {
        tree_.nodes[static_cast<std::size_t>(p.last_child)].next = index;
        node.previous = p.last_child;
      }
      p.last_child = index;
    }
    if (is_content(node.key.part)) {
      const float bottom = node.rect.y + node.rect.height;
      node.offscreen = bottom <= tree_.content_top ||
                       node.rect.y >= static_cast<float>(tree_.client.height);
    }
    tree_.nodes.push_back(std::move(node));
    return index;
  }

 private:
  AccessTree& tree_;
};

AccessNode make(AccessPart part, std::uint32_t generation, std::uint32_t a, std::uint32_t b,
                AccessRole role, std::string name, gfx::RectF rect) {
  AccessNode node;
  node.key = AccessKey{part, generation, a, b};
  node.role = role;
  node.name = std::move(name);
  node.rect = rect;
  return node;
}

void add_report(TreeBuilder& builder, const AppState& state, const Report& report,
                ClientSize client, gfx::TextMeasurer* measurer, std::uint32_t generation) {
  const float s = state.scale();
  const float scroll = state.scroll;
  const LayoutMetrics m = layout_metrics(client, s);
  const CardLayout layout = layout_cards(client, s, &report);

  builder.add(0, make(AccessPart::Title, generation, 0, 0, AccessRole::Text, report.title,
                      title_box(m, scroll)));
  if (!report.subtitle.empty()) {
    builder.add(0, make(AccessPart::Subtitle, generation, 0, 0, AccessRole::Text,
                        report.subtitle, subtitle_box(m, scroll)));
  }
  for (const std::size_t i : visual_order(layout)) {
    const CardBox& card = layout.cards[i];
    const Section& section = report.sections[i];
    const auto si = static_cast<std::uint32_t>(i);
    const std::int32_t group =
        builder.add(0, make(AccessPart::Card, generation, si, 0, AccessRole::Group, section.title,
                            gfx::offset(card.box(), 0, -scroll)));
    for (std::size_t k = 0; k < section.rows.size(); ++k) {
      const Row& row = section.rows[k];
      const auto ki = static_cast<std::uint32_t>(k);
      const gfx::RectF on_screen = gfx::offset(card.rows[k], 0, -scroll);
      AccessNode item = make(AccessPart::Row, generation, si, ki, AccessRole::Button,
                             value_line(row), on_screen);
      item.action = HitTarget::value(i, k);
      item.focusable = true;
      const std::int32_t row_node = builder.add(group, std::move(item));

      const RowContent parts = row_content_layout(on_screen, card.width, s, row, measurer);
      if (parts.bar && row.gauge) {
        AccessNode gauge = make(AccessPart::Gauge, generation, si, ki, AccessRole::ProgressBar,
                                row.label, *parts.bar);
        const float percent = *row.gauge * 100.0f;
        gauge.percent = std::isnan(percent) ? 0.0f : std::clamp(percent, 0.0f, 100.0f);
        builder.add(row_node, std::move(gauge));
      }
    }
  }
  if (report.needs_admin) {
    builder.add(0, make(AccessPart::Note, generation, 0, 0, AccessRole::Text,
                        std::string(translate(texts::kAdminNote)),
                        note_box(m, layout.content_height, scroll)));
  }
}

}  // namespace

std::int32_t AccessTree::find(const AccessKey& key) const {
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].key == key) return static_cast<std::int32_t>(i);
  }
  return kNoNode;
}

std::int32_t AccessTree::node_at(float x, float y) const {
  if (nodes.empty() || x < 0 || y < 0 || x >= static_cast<float>(client.width) ||
      y >= static_cast<float>(client.height)) {
    return kNoNode;
  }
  std::int32_t at = 0;
  for (;;) {
    std::int32_t found = kNoNode;
    // Later siblings are drawn on top (the toast over the cards), so they are asked first.
    for (std::int32_t c = nodes[static_cast<std::size_t>(at)].last_child; c != kNoNode;
         c = nodes[static_cast<std::size_t>(c)].previous) {
      const AccessNode& node = nodes[static_cast<std::size_t>(c)];
      if (node.offscreen || !gfx::contains(node.rect, x, y)) continue;
      if (is_content(node.key.part) && y < content_top) continue;
      found = c;
      break;
    }
    if (found == kNoNode) return at;
    at = found;
  }
}

AccessTree build_access_tree(const AppState& state, ClientSize client,
                             gfx::TextMeasurer* measurer, std::uint32_t generation) {
  client.width = std::max(client.width, 0);
  client.height = std::max(client.height, 0);
  const float s = state.scale();
  const Report* report = state.shown_report();

  AccessTree tree;
  tree.client = client;
  tree.generation = generation;
  tree.content_top = layout_metrics(client, s).toolbar;
  tree.nodes.reserve(report == nullptr ? 8 : 16 + 2 * report->sections.size() * 8);
  TreeBuilder builder(tree);

  builder.add(kNoNode, make(AccessPart::Root, 0, 0, 0, AccessRole::Window, std::string(kProductName),
                            gfx::RectF{0, 0, static_cast<float>(client.width),
                                       static_cast<float>(client.height)}));
  for (const ToolbarButton& toolbar_button : toolbar_left_to_right(client, s, report, measurer)) {
    AccessNode button = make(AccessPart::Button, 0, static_cast<std::uint32_t>(toolbar_button.kind),
                             0, AccessRole::Button, button_name(toolbar_button), toolbar_button.rect);
    button.action = HitTarget{toolbar_button.kind, 0, 0};
    button.focusable = true;
    builder.add(0, std::move(button));
  }
  if (report != nullptr) {
    add_report(builder, state, *report, client, measurer, generation);
  } else {
    builder.add(0, make(AccessPart::Loading, 0, 0, 0, AccessRole::Text,
                        std::string(translate(texts::kLoading)), loading_box(client, s)));
  }
  if (state.toast) {
    float width = 0;
    if (measurer != nullptr) {
      if (const auto metrics = measurer->measure(*state.toast, gfx::TextStyle::Body)) {
        width = metrics->width;
      }
    }
    AccessNode toast = make(AccessPart::Toast, 0, 0, 0, AccessRole::Text, *state.toast,
                            toast_boxes(client, s, width).face);
    toast.live = true;
    builder.add(0, std::move(toast));
    tree.toast_stamp = state.toast_shown_at.time_since_epoch().count();
  }

  if (state.focus.kind != HitKind::None) {
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
      if (tree.nodes[i].focusable && tree.nodes[i].action == state.focus) {
        tree.focus = static_cast<std::int32_t>(i);
        break;
      }
    }
  }
  return tree;
}

std::uint64_t report_structure(const Report* report) {
  if (report == nullptr) return 0;
  std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a
  const auto mix = [&hash](std::string_view bytes) {
    for (const char c : bytes) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 0x100000001b3ull;
    }
  };
  for (const Section& section : report->sections) {
    const char kind = static_cast<char>(section.kind);
    mix(std::string_view(&kind, 1));
    mix(section.title);
    mix("\x1E");
    for (const Row& row : section.rows) {
      mix(row.label);
      mix("\x1F");
    }
    mix("\x1D");
  }
  return hash == 0 ? 1 : hash;
}

// ---- AccessHub -------------------------------------------------------------------------------

AccessHub::AccessHub(std::function<void()> wake) : wake_(std::move(wake)) {}

std::shared_ptr<const AccessTree> AccessHub::tree() const {
  std::lock_guard lock(mutex_);
  return tree_;
}

std::shared_ptr<const AccessTree> AccessHub::read() {
  std::lock_guard lock(mutex_);
  if ((stale_ || !tree_) && !closed_ && !refresh_asked_) {
    refresh_asked_ = true;
    queue(AccessRequest{AccessRequest::Kind::Refresh, {}});
  }
  return tree_;
}

void AccessHub::publish(std::shared_ptr<const AccessTree> tree) {
  std::shared_ptr<const AccessTree> old;  // released outside the lock
  std::lock_guard lock(mutex_);
  if (closed_) return;
  old = std::exchange(tree_, std::move(tree));
  stale_ = false;
}

void AccessHub::mark_stale() {
  std::lock_guard lock(mutex_);
  stale_ = true;
}

bool AccessHub::stale() const {
  std::lock_guard lock(mutex_);
  return stale_;
}

void AccessHub::close() {
  std::shared_ptr<const AccessTree> old;
  std::function<void()> wake;
  std::lock_guard lock(mutex_);
  closed_ = true;
  old = std::move(tree_);
  wake = std::move(wake_);
  wake_ = nullptr;
  requests_.clear();
}

bool AccessHub::closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

void AccessHub::queue(const AccessRequest& request) {
  requests_.push_back(request);
  if (requests_.size() == 1 && wake_) wake_();
}

bool AccessHub::request(const AccessRequest& request) {
  std::lock_guard lock(mutex_);
  if (closed_) return false;
  queue(request);
  return true;
}

std::vector<AccessRequest> AccessHub::take_requests() {
  std::lock_guard lock(mutex_);
  refresh_asked_ = false;
  return std::exchange(requests_, {});
}

// ---- AccessTreeSource -------------------------------------------------------------------------

void AccessTreeSource::update(const AppState& state, ClientSize client,
                             gfx::TextMeasurer* measurer, AccessSink& sink, bool forced) {
  const bool listening = sink.clients_listening();
  if (!listening && !forced) {
    if (last_) sink.mark_stale();
    return;
  }
  const std::uint64_t structure = report_structure(state.shown_report());
  if (structure != structure_) {
    structure_ = structure;
    ++generation_;
  }
  auto tree = std::make_shared<const AccessTree>(
      build_access_tree(state, client, measurer, generation_));
  ++trees_built_;
  std::shared_ptr<const AccessTree> previous = std::exchange(last_, tree);
  sink.publish(tree);
  if (!listening || !previous) return;

  if (tree->focus != kNoNode) {
    const AccessKey& now = tree->nodes[static_cast<std::size_t>(tree->focus)].key;
    if (previous->focus == kNoNode ||
        !(previous->nodes[static_cast<std::size_t>(previous->focus)].key == now)) {
      sink.focus_changed(*tree, tree->focus);
    }
  }
  const std::int32_t toast = tree->find(AccessKey{AccessPart::Toast, 0, 0, 0});
  if (toast != kNoNode) {
    const std::int32_t before = previous->find(AccessKey{AccessPart::Toast, 0, 0, 0});
    if (before == kNoNode || previous->toast_stamp != tree->toast_stamp ||
        previous->nodes[static_cast<std::size_t>(before)].name !=
            tree->nodes[static_cast<std::size_t>(toast)].name) {
      sink.live_region_changed(*tree, toast);
    }
  }
}

}  // namespace kestro::app
