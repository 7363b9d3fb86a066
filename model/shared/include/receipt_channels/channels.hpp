#pragma once

#include <nlohmann/json.hpp>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// The only things the window's thread and the worker's thread share.

// A truth flag, false when created.
class Event {
public:
    void set() { flag_.store(true); }
    void clear() { flag_.store(false); }
    bool is_set() const { return flag_.load(); }

private:
    std::atomic<bool> flag_{false};
};

// A first-in, first-out queue of JSON items: a request is an object, the wake-up
// item is null. `get` blocks without a time limit.
class Queue {
public:
    // From now on every item put here but the null wake-up sets `flag` in the same
    // step as it joins the queue, so that a sender that checks the flag first never
    // queues a second request before the first has been taken.
    void set_on_put(Event& flag) {
        std::lock_guard lock(mutex_);
        set_on_put_ = &flag;
    }

    // From now on every item put here also wakes whoever waits on `other` with
    // wait_for_item_or_wake, so that one thread can wait for either queue.
    void wake_on_put(Queue& other) {
        std::lock_guard lock(mutex_);
        wake_on_put_ = &other;
    }

    void put(nlohmann::json item) {
        Queue* wake = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (set_on_put_ && !item.is_null()) set_on_put_->set();
            items_.push_back(std::move(item));
            wake = wake_on_put_;
        }
        ready_.notify_all();
        if (wake) wake->wake();
    }

    // How often this queue has been woken; read it before looking at the other queues.
    std::uint64_t wakes() const {
        std::lock_guard lock(mutex_);
        return wakes_;
    }

    // Returns once an item waits here or the queue has been woken since `wakes()` read
    // `seen`; blocks without a time limit until then.
    void wait_for_item_or_wake(std::uint64_t seen) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return !items_.empty() || wakes_ != seen; });
    }

    // Clears `flag` unless an item waits, in one step with respect to `put`: a flag
    // that a put has set is never cleared over the item it announced.
    void clear_when_empty(Event& flag) {
        std::lock_guard lock(mutex_);
        if (items_.empty()) flag.clear();
    }

    nlohmann::json get() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return !items_.empty(); });
        nlohmann::json item = std::move(items_.front());
        items_.pop_front();
        return item;
    }

    // The oldest item, or nothing at once when the queue is empty.
    std::optional<nlohmann::json> try_get() {
        std::lock_guard lock(mutex_);
        if (items_.empty()) return std::nullopt;
        nlohmann::json item = std::move(items_.front());
        items_.pop_front();
        return item;
    }

    // Takes every item waiting and returns the newest; nothing when none waits.
    std::optional<nlohmann::json> take_newest() {
        std::lock_guard lock(mutex_);
        if (items_.empty()) return std::nullopt;
        nlohmann::json newest = std::move(items_.back());
        items_.clear();
        return newest;
    }

    bool empty() const {
        std::lock_guard lock(mutex_);
        return items_.empty();
    }

private:
    void wake() {
        {
            std::lock_guard lock(mutex_);
            ++wakes_;
        }
        ready_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<nlohmann::json> items_;
    Event* set_on_put_ = nullptr;
    Queue* wake_on_put_ = nullptr;
    std::uint64_t wakes_ = 0;
};

// Both registries hold the entries "get_receipt" and "end", and the queue registry
// also "outcome", on which the worker reports each pass to the window, "notice", on
// which it says what holds a pass up while the pass lasts (a text), and "preview" and
// "preview_done": the window asks for a look at the receipt its form would make, and
// the worker answers between receipts. A preview request neither sets nor clears the
// busy flag, and the worker makes only the newest of those waiting. All are
// created before either side starts, and the maps are not changed afterwards, so
// looking entries up needs no lock.
using Queue_All_variable = std::map<std::string, Queue>;
using Event_All_variable = std::map<std::string, Event>;

inline Queue_All_variable make_queue_registry() {
    Queue_All_variable queues;
    queues["get_receipt"];
    queues["end"];
    queues["outcome"];
    queues["notice"];
    // A worker idle on "get_receipt" wakes for a preview as well.
    queues["preview"].wake_on_put(queues["get_receipt"]);
    queues["preview_done"];
    return queues;
}

inline Event_All_variable make_event_registry() {
    Event_All_variable events;
    events["get_receipt"];
    events["end"];
    return events;
}

// Event "get_receipt" says the worker is busy: the window sends a request only while
// it is clear. Linked, every request put on queue "get_receipt" sets it at once,
// rather than when the worker takes the request, which left a gap for a second press.
// Link before either side starts.
inline void link_busy_flag(Queue_All_variable& queues, Event_All_variable& events) {
    queues.at("get_receipt").set_on_put(events.at("get_receipt"));
}
