// The hub between the window thread and UI Automation's threads, and the source that turns the
// window's state changes into published trees and events.

#include "app/access/accessibility_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/access_trees.h"
#include "i18n/translate.h"

namespace kestro::app {
namespace {

using test::find_named;
using test::loaded;
using test::recorded_report;
using test::tree_of;
using namespace std::chrono_literals;

// ---- Hub --------------------------------------------------------------------------------------

TEST(AccessHub, RequestsWakeTheWindowOncePerBatch) {
  int wakes = 0;
  AccessHub hub([&] { ++wakes; });
  const AccessRequest invoke{AccessRequest::Kind::Invoke, {AccessPart::Row, 1, 0, 0}};
  const AccessRequest focus{AccessRequest::Kind::Focus, {AccessPart::Button, 0, 3, 0}};
  EXPECT_TRUE(hub.request(invoke));
  EXPECT_TRUE(hub.request(focus));
  EXPECT_EQ(wakes, 1);
  EXPECT_EQ(hub.take_requests(), (std::vector<AccessRequest>{invoke, focus}));
  EXPECT_TRUE(hub.take_requests().empty());
  EXPECT_TRUE(hub.request(invoke));
  EXPECT_EQ(wakes, 2);

  hub.take_requests();
  auto tree = std::make_shared<const AccessTree>();
  hub.publish(tree);
  EXPECT_EQ(hub.tree(), tree);

  hub.close();  // the window is gone
  EXPECT_TRUE(hub.closed());
  EXPECT_EQ(hub.tree(), nullptr);
  EXPECT_FALSE(hub.request(invoke));
  EXPECT_TRUE(hub.take_requests().empty());
  hub.publish(tree);
  EXPECT_EQ(hub.tree(), nullptr);
  EXPECT_EQ(wakes, 2);
}

TEST(AccessHub, StaleOrMissingTreesAreAskedForOnce) {
  int wakes = 0;
  AccessHub hub([&] { ++wakes; });
  const AccessRequest refresh{AccessRequest::Kind::Refresh, {}};
  EXPECT_EQ(hub.read(), nullptr);  // nothing built yet
  EXPECT_EQ(hub.read(), nullptr);
  EXPECT_EQ(hub.take_requests(), std::vector<AccessRequest>{refresh});
  EXPECT_EQ(wakes, 1);

  auto first = std::make_shared<const AccessTree>();
  hub.publish(first);
  EXPECT_EQ(hub.read(), first);
  EXPECT_TRUE(hub.take_requests().empty());  // a current tree asks for nothing

  hub.mark_stale();
  EXPECT_TRUE(hub.stale());
  EXPECT_EQ(hub.read(), first);  // the stale tree serves meanwhile
  EXPECT_EQ(hub.read(), first);
  EXPECT_EQ(hub.take_requests(), std::vector<AccessRequest>{refresh});
  EXPECT_EQ(hub.read(), first);  // still stale (the window was busy): asked again
  EXPECT_EQ(hub.take_requests(), std::vector<AccessRequest>{refresh});
  auto second = std::make_shared<const AccessTree>();
  hub.publish(second);
  EXPECT_FALSE(hub.stale());
  EXPECT_EQ(hub.read(), second);
  EXPECT_TRUE(hub.take_requests().empty());
  EXPECT_EQ(wakes, 3);

  hub.mark_stale();
  hub.close();
  EXPECT_EQ(hub.read(), nullptr);
  EXPECT_TRUE(hub.take_requests().empty());
  EXPECT_EQ(wakes, 3);
}

TEST(AccessHub, ReadersOnOtherThreadsKeepTheTreeTheyTook) {
  ScopedLanguageOverride english("en");
  std::atomic<int> wakes{0};
  AccessHub hub([&] { ++wakes; });
  std::atomic<bool> stop{false};
  std::atomic<int> complete{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 2; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        if (const auto tree = hub.tree()) {
          // A whole tree: the root and its last child, whatever the window thread does.
          if (!tree->nodes.empty() && tree->nodes[0].name == "Kestro" &&
              tree->nodes[static_cast<std::size_t>(tree->nodes[0].last_child)].parent == 0) {
            ++complete;
          }
        }
        hub.request({AccessRequest::Kind::Invoke, {AccessPart::Toast, 0, 0, 0}});
      }
    });
  }
  AppState state = loaded();
  std::size_t taken = 0;
  // At least 300 trees, and on until both readers have been seen at work (10 s at most).
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  for (int i = 0; i < 300 || ((complete.load() == 0 || taken == 0) &&
                              std::chrono::steady_clock::now() < deadline);
       ++i) {
    state.scroll = static_cast<float>(i % 50);
    hub.publish(std::make_shared<const AccessTree>(tree_of(state)));
    taken += hub.take_requests().size();
    if (i % 50 == 0) std::this_thread::yield();
  }
  stop = true;
  for (auto& reader : readers) reader.join();
  hub.close();
  EXPECT_GT(complete.load(), 0);
  EXPECT_GT(taken, 0u);
  EXPECT_GE(wakes.load(), 1);
}

// ---- Publisher ----------------------------------------------------------------------------

class FakeSink : public AccessSink {
 public:
  bool listening = true;
  std::vector<std::shared_ptr<const AccessTree>> published;
  int stale_marks = 0;
  std::vector<std::string> events;

  bool clients_listening() override { return listening; }
  void publish(std::shared_ptr<const AccessTree> tree) override { published.push_back(tree); }
  void mark_stale() override { ++stale_marks; }
  void focus_changed(const AccessTree& tree, std::int32_t node) override {
    EXPECT_EQ(&tree, published.back().get());  // raised on the tree just published
    events.push_back("focus " + tree.nodes[static_cast<std::size_t>(node)].name);
  }
  void live_region_changed(const AccessTree& tree, std::int32_t node) override {
    EXPECT_EQ(&tree, published.back().get());
    events.push_back("live " + tree.nodes[static_cast<std::size_t>(node)].name);
  }
};

class PublisherTest : public ::testing::Test {
 protected:
  void update(bool forced = false) {
    trees.update(state, {1080, 800}, &measurer, sink, forced);
  }

  ScopedLanguageOverride english{"en"};
  AppState state = loaded();
  test::RecordingCanvas measurer;
  FakeSink sink;
  AccessTreeSource trees;
};

TEST_F(PublisherTest, NothingIsBuiltWhileNoClientListens) {
  sink.listening = false;
  update();
  update();
  EXPECT_EQ(trees.trees_built(), 0u);
  EXPECT_TRUE(sink.published.empty());
  EXPECT_EQ(sink.stale_marks, 0);  // nothing published, nothing to mark

  update(true);  // a client asks for the window right now
  EXPECT_EQ(trees.trees_built(), 1u);
  ASSERT_EQ(sink.published.size(), 1u);
  state.focus = HitTarget::value(0, 0);
  update();
  update();
  EXPECT_EQ(sink.stale_marks, 2);
  EXPECT_EQ(trees.trees_built(), 1u);
  update(true);  // asked again: a fresh tree, but no events without listeners
  EXPECT_EQ(trees.trees_built(), 2u);
  EXPECT_TRUE(sink.events.empty());

  sink.listening = true;
  state.focus = HitTarget::value(1, 0);
  update();
  EXPECT_EQ(sink.published.size(), 3u);
  EXPECT_EQ(sink.events, std::vector<std::string>{"focus Disk: Samsung 990"});
}

TEST_F(PublisherTest, FocusAndToastChangesRaiseEvents) {
  struct Step {
    const char* name;
    void (*change)(AppState&);
    std::vector<std::string> events;
  };
  const Step steps[] = {
      {"first tree: nothing", [](AppState& s) { s.focus = HitTarget::value(0, 0); }, {}},
      {"unchanged", [](AppState& s) { s.scroll = 10; }, {}},
      {"focus moves", [](AppState& s) { s.focus = HitTarget::value(1, 1); },
       {"focus Health: Healthy"}},
      {"focus hidden is still the focus", [](AppState& s) { s.focus_visible = false; }, {}},
      {"toast appears",
       [](AppState& s) {
         s.toast = "Copied: Model: X1";
         s.toast_shown_at = Clock::time_point(1s);
       },
       {"live Copied: Model: X1"}},
      {"same toast again later", [](AppState& s) { s.toast_shown_at = Clock::time_point(3s); },
       {"live Copied: Model: X1"}},
      {"toast and focus change together",
       [](AppState& s) {
         s.toast = "Copied everything. Paste it anywhere.";
         s.focus = HitTarget{HitKind::CopyAll, 0, 0};
       },
       {"focus Copy all", "live Copied everything. Paste it anywhere."}},
      {"toast gone, focus gone", [](AppState& s) { s.toast.reset(); s.focus = HitTarget{}; }, {}},
  };
  for (const Step& step : steps) {
    sink.events.clear();
    step.change(state);
    update();
    EXPECT_EQ(sink.events, step.events) << step.name;
  }
}

TEST_F(PublisherTest, GenerationFollowsTheReportsStructure) {
  update();
  const std::uint32_t first = sink.published.back()->generation;
  state.report->sections[0].rows[0].value = "Y2";  // the same rows
  update();
  EXPECT_EQ(sink.published.back()->generation, first);
  state.report->sections[0].rows.pop_back();
  update();
  EXPECT_EQ(sink.published.back()->generation, first + 1);
  state.report.reset();  // refresh: loading
  update();
  state.report = recorded_report();
  update();
  EXPECT_EQ(sink.published.back()->generation, first + 3);
  const AccessTree& tree = *sink.published.back();
  EXPECT_EQ(tree.nodes[static_cast<std::size_t>(find_named(tree, "Model: X1"))].key.generation,
            first + 3);
  EXPECT_EQ(tree.nodes[static_cast<std::size_t>(find_named(tree, "Menu"))].key.generation, 0u);
}

}  // namespace
}  // namespace kestro::app
