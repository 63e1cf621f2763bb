#pragma once

#include <functional>
#include <vector>

namespace orvane::view3d {

// Stores `value` in `field`; false, storing nothing, when the field holds that value already:
// a setter then makes one redraw request per change and none for a repeat.
template <class T> bool StoreChanged(T& field, const T& value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

// Collects redraw requests from the scene objects and hands each one to the listeners
// (the viewer calls update() there, which coalesces them into one frame). Requests made
// while a frame is being drawn are dropped: the frame being drawn already shows them.
class ChangeNotifier {
public:
    using Listener = std::function<void()>;

    int AddListener(Listener listener);
    void RemoveListener(int id);

    void RequestRedraw();

    // Total requests passed on since construction; lets callers check "one change, one
    // request" without a listener.
    long long RequestCount() const { return requestCount_; }

    void SetRendering(bool rendering) { rendering_ = rendering; }

private:
    struct Entry {
        int Id;
        Listener listener;
    };
    std::vector<Entry> listeners_;
    int nextId_ = 1;
    long long requestCount_ = 0;
    bool rendering_ = false;
};

} // namespace orvane::view3d
