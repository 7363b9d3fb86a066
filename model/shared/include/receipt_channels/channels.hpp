#pragma once

#include <nlohmann/json.hpp>

#include <atomic>
#include <condition_variable>
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

    void put(nlohmann::json item) {
        {
            std::lock_guard lock(mutex_);
            if (set_on_put_ && !item.is_null()) set_on_put_->set();
            items_.push_back(std::move(item));
        }
        ready_.notify_one();
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

    bool empty() const {
        std::lock_guard lock(mutex_);
        return items_.empty();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<nlohmann::json> items_;
    Event* set_on_put_ = nullptr;
};

// Both registries hold the entries "get_receipt" and "end", and the queue registry
// also "outcome", on which the worker reports each pass to the window, and "notice", on
// which it says what holds a pass up while the pass lasts (a text); all are
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
