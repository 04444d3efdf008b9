// What keyboard and screen-reader access cost the window. Without a UI Automation client a
// frame is the painter's work plus one "does anybody listen?" per frame, and no tree is built
// (BM_FrameNoClient against window_bench's BM_WindowFrame). With a client, every frame builds
// and publishes the whole tree of the 60-row report; its cost is given as a fraction of a
// 144 Hz frame (6.94 ms). Processor time, as in window_bench.
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <string_view>

#include "app/access/accessibility_tree.h"
#include "app/view/app_state.h"
#include "app/view/paint.h"
#include "bench/alloc_counter.h"
#include "bench/sixty_rows.h"
#include "gfx/canvas.h"

namespace {

using namespace kestro;
using namespace kestro::app;

class NullCanvas : public gfx::Canvas {
 public:
  std::optional<gfx::TextMetrics> measure(std::string_view text, gfx::TextStyle) override {
    return gfx::TextMetrics{7.0f * static_cast<float>(text.size()), 16};
  }
  void clear(gfx::Colour) override {}
  void fill_box(float, float, float, float, gfx::Colour) override {}
  void fill_round(gfx::RectF, float, gfx::Colour) override {}
  void stroke_round(gfx::RectF, float, float, gfx::Colour) override {}
  void draw_text(std::string_view, gfx::RectF, gfx::Colour, gfx::TextStyle, bool) override {}
  void draw_icon(std::string_view, gfx::RectF, gfx::Colour) override {}
};

// Publishes into a hub, as the window does; `listening` is the client question's answer.
class HubSink : public AccessSink {
 public:
  explicit HubSink(bool listening) : listening_(listening) {}
  bool clients_listening() override { return listening_; }
  void publish(std::shared_ptr<const AccessTree> tree) override { hub.publish(std::move(tree)); }
  void mark_stale() override { hub.mark_stale(); }
  void focus_changed(const AccessTree&, std::int32_t) override { ++events; }
  void live_region_changed(const AccessTree&, std::int32_t) override { ++events; }

  AccessHub hub{[] {}};
  int events = 0;

 private:
  bool listening_;
};

// As window_bench: 1600 × 1200 at 150 %, two columns, a hovered row and a toast.
AppState loaded_state() {
  AppState state;
  state.report = bench::sixty_rows();
  state.dpi = 144;
  state.hover = HitTarget::value(1, 2);
  state.toast = "Copied: Label 3: 87%";
  state.focus = HitTarget::value(2, 1);
  state.focus_visible = true;
  return state;
}

constexpr ClientSize kClient{1600, 1200};
constexpr double kFrame144HzNs = 1e9 / 144.0;

void report(benchmark::State& state, std::clock_t start, std::size_t allocs_before) {
  const double iterations = static_cast<double>(state.iterations());
  const double ns =
      static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC * 1e9 / iterations;
  state.counters["ns_per_op"] = ns;
  state.counters["of_144Hz_frame"] = ns / kFrame144HzNs;
  state.counters["allocs_per_op"] =
      static_cast<double>(kestro_bench_allocations() - allocs_before) / iterations;
}

// A frame and the accessibility update that follows it, with no client: nothing is built.
void BM_FrameNoClient(benchmark::State& state) {
  const AppState app = loaded_state();
  NullCanvas canvas;
  HubSink sink(false);
  AccessTreeSource trees;
  const auto now = Clock::now();
  const std::size_t allocs_before = kestro_bench_allocations();
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    paint(app, canvas, kClient, now);
    trees.update(app, kClient, &canvas, sink);
  }
  report(state, start, allocs_before);
  state.counters["trees_built"] = static_cast<double>(trees.trees_built());
}
BENCHMARK(BM_FrameNoClient);

// The whole tree of the 60-row report, as a client gets it.
void BM_AccessTreeBuild(benchmark::State& state) {
  const AppState app = loaded_state();
  NullCanvas measurer;
  std::size_t nodes = 0;
  const std::size_t allocs_before = kestro_bench_allocations();
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    AccessTree tree = build_access_tree(app, kClient, &measurer, 1);
    nodes = tree.nodes.size();
    benchmark::DoNotOptimize(tree);
  }
  report(state, start, allocs_before);
  state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_AccessTreeBuild);

// A frame while a client listens: paint, build, publish, compare for events.
void BM_FrameWithClient(benchmark::State& state) {
  const AppState app = loaded_state();
  NullCanvas canvas;
  HubSink sink(true);
  AccessTreeSource trees;
  const auto now = Clock::now();
  const std::size_t allocs_before = kestro_bench_allocations();
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    paint(app, canvas, kClient, now);
    trees.update(app, kClient, &canvas, sink);
  }
  report(state, start, allocs_before);
  state.counters["trees_built_per_op"] =
      static_cast<double>(trees.trees_built()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FrameWithClient);

}  // namespace
