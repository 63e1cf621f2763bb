#include "view3d/ChangeNotifier.h"

#include <algorithm>
#include <utility>

namespace orvane::view3d {

int TGLChangeNotifier::AddListener(TListener listener) {
    const int id = FNextId++;
    FListeners.push_back({id, std::move(listener)});
    return id;
}

void TGLChangeNotifier::RemoveListener(int id) {
    FListeners.erase(std::remove_if(FListeners.begin(), FListeners.end(),
                                    [id](const TEntry& e) { return e.Id == id; }),
                     FListeners.end());
}

void TGLChangeNotifier::RequestRedraw() {
    if (FRendering) {
        return;
    }
    ++FRequestCount;
    // Copy: a listener may add or remove listeners.
    const std::vector<TEntry> listeners = FListeners;
    for (const TEntry& e : listeners) {
        e.Listener();
    }
}

} // namespace orvane::view3d
