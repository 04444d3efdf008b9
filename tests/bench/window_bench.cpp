// Cost of one window frame: layout and painting of a 60-row report into a canvas that only
// counts its calls (so the figure is the window core's own work, not the drawing device's),
// and one hit test as done on every mouse move. The frame figure is also given as a fraction
// of a 144 Hz frame (6.94 ms).
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <string>

#include "app/view/app_state.h"
#include "app/view/layout.h"
#include "app/view/paint.h"
#include "app/window/window_controller.h"
#include "bench/alloc_counter.h"
#include "bench/sixty_rows.h"
#include "gfx/canvas.h"

namespace {

using namespace kestro;
using namespace kestro::app;

class CountingCanvas : public gfx::Canvas {
 public:
  std::size_t calls = 0;
  std::optional<gfx::TextMetrics> measure(std::string_view text, gfx::TextStyle) override {
    ++calls;
    return gfx::TextMetrics{7.0f * static_cast<float>(text.size()), 16};
  }
  void clear(gfx::Colour) override { ++calls; }
  void fill_box(float, float, float, float, gfx::Colour) override { ++calls; }
  void fill_round(gfx::RectF, float, gfx::Colour) override { ++calls; }
  void stroke_round(gfx::RectF, float, float, gfx::Colour) override { ++calls; }
  void draw_text(std::string_view, gfx::RectF, gfx::Colour, gfx::TextStyle, bool) override {
    ++calls;
  }
  void draw_icon(std::string_view, gfx::RectF, gfx::Colour) override { ++calls; }
};

AppState loaded_state() {
  AppState state;
  state.report = bench::sixty_rows();
  state.dpi = 144;
  state.hover = HitTarget::value(1, 2);
  state.toast = "Copied: Label 3: 87%";
  return state;
}

// A 1600 × 1200 window at 150 %: two columns, about half of the cards visible.
constexpr ClientSize kClient{1600, 1200};
constexpr double kFrame144HzNs = 1e9 / 144.0;

void BM_WindowFrame(benchmark::State& state) {
  const AppState app = loaded_state();
  CountingCanvas canvas;
  const auto now = Clock::now();
  const std::size_t allocs_before = kestro_bench_allocations();
  // Processor time, so that other load on the machine does not count as the frame's work.
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    paint(app, canvas, kClient, now);
    benchmark::DoNotOptimize(canvas.calls);
  }
  const double cpu_seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  const double iterations = static_cast<double>(state.iterations());
  const double ns = cpu_seconds * 1e9 / iterations;
  state.counters["ns_per_frame"] = ns;
  state.counters["of_144Hz_frame"] = ns / kFrame144HzNs;
  state.counters["canvas_calls"] = static_cast<double>(canvas.calls) / iterations;
  state.counters["allocs_per_frame"] =
      static_cast<double>(kestro_bench_allocations() - allocs_before) / iterations;
}
BENCHMARK(BM_WindowFrame);

void BM_WindowLayoutOnly(benchmark::State& state) {
  const AppState app = loaded_state();
  for (auto _ : state) {
    CardLayout layout = layout_cards(kClient, app.scale(), &*app.report);
    benchmark::DoNotOptimize(layout);
  }
}
BENCHMARK(BM_WindowLayoutOnly);

void BM_WindowHitTest(benchmark::State& state) {
  AppState app = loaded_state();
  app.scroll = 400;
  CountingCanvas measurer;
  for (auto _ : state) {
    // A point on a row of the second column, found after the toolbar and earlier cards.
    HitTarget hit = hit_test(app, kClient, &measurer, 1200, 900);
    benchmark::DoNotOptimize(hit);
  }
}
BENCHMARK(BM_WindowHitTest);

}  // namespace
