#pragma once

#include <functional>
#include <vector>

namespace orvane::view3d {

// Collects redraw requests from the scene objects and hands each one to the listeners
// (the viewer calls update() there, which coalesces them into one frame). Requests made
// while a frame is being drawn are dropped: the frame being drawn already shows them.
class TGLChangeNotifier {
public:
    using TListener = std::function<void()>;

    int AddListener(TListener listener);
    void RemoveListener(int id);

    void RequestRedraw();

    // Total requests passed on since construction; lets callers check "one change, one
    // request" without a listener.
    long long RequestCount() const { return FRequestCount; }

    void SetRendering(bool rendering) { FRendering = rendering; }

private:
    struct TEntry {
        int Id;
        TListener Listener;
    };
    std::vector<TEntry> FListeners;
    int FNextId = 1;
    long long FRequestCount = 0;
    bool FRendering = false;
};

} // namespace orvane::view3d
