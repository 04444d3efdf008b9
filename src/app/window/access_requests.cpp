#include "app/window/access_requests.h"

namespace kestro::app {

void serve_access_requests(const std::vector<AccessRequest>& requests, AccessTreeSource& trees,
                           AccessSink& sink, StateSlot<AppState>& slot, WindowHost& host,
                           WindowController& controller) {
  if (requests.empty()) return;
  if (auto state = slot.claim()) {
    trees.update(*state, host.client_size(), host.measurer(), sink, true);
  }
  for (const AccessRequest& request : requests) {
    if (request.kind == AccessRequest::Kind::Refresh || !trees.last()) continue;
    const AccessTree& tree = *trees.last();
    const std::int32_t at = tree.find(request.key);
    if (at == kNoNode) continue;
    const HitTarget target = tree.nodes[static_cast<std::size_t>(at)].action;
    if (target.kind == HitKind::None) continue;
    if (request.kind == AccessRequest::Kind::Invoke) {
      controller.press(target);
    } else {
      controller.focus(target);
    }
  }
}

}  // namespace kestro::app
