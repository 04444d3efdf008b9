#pragma once
// Accessibility trees of the sample report for the tests of the tree, its hub and its source.

#include <string>

#include "app/access/accessibility_tree.h"
#include "host/recording_canvas.h"
#include "host/sample_reports.h"

namespace kestro::test {

inline app::AppState loaded(float scroll = 0) {
  app::AppState state;
  state.report = recorded_report();
  state.scroll = scroll;
  return state;
}

inline app::AccessTree tree_of(const app::AppState& state, app::ClientSize client = {1080, 800}) {
  RecordingCanvas measurer;
  return app::build_access_tree(state, client, &measurer, 1);
}

inline std::int32_t find_named(const app::AccessTree& tree, const std::string& name) {
  for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
    if (tree.nodes[i].name == name) return static_cast<std::int32_t>(i);
  }
  return app::kNoNode;
}

}  // namespace kestro::test
