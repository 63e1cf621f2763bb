#include "view3d/ChangeNotifier.h"

#include <algorithm>
#include <utility>

namespace orvane::view3d {

int ChangeNotifier::AddListener(Listener listener) {
    const int id = nextId_++;
    listeners_.push_back({id, std::move(listener)});
    return id;
}

void ChangeNotifier::RemoveListener(int id) {
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                    [id](const Entry& e) { return e.Id == id; }),
                     listeners_.end());
}

void ChangeNotifier::RequestRedraw() {
    if (rendering_) {
        return;
    }
    ++requestCount_;
    // Copy: a listener may add or remove listeners.
    const std::vector<Entry> listeners = listeners_;
    for (const Entry& e : listeners) {
        e.listener();
    }
}

} // namespace orvane::view3d
