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

// A first-in, first-out queue of JSON items: a request is an object, the wake-up
// item is null. `get` blocks without a time limit.
class Queue {
public:
    void put(nlohmann::json item) {
        {
            std::lock_guard lock(mutex_);
            items_.push_back(std::move(item));
        }
        ready_.notify_one();
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
};

// A truth flag, false when created.
class Event {
public:
    void set() { flag_.store(true); }
    void clear() { flag_.store(false); }
    bool is_set() const { return flag_.load(); }

private:
    std::atomic<bool> flag_{false};
};

// Both registries hold the entries "get_receipt" and "end", and the queue registry
// also "outcome", on which the worker reports each pass to the window; all are
// created before either side starts, and the maps are not changed afterwards, so
// looking entries up needs no lock.
using Queue_All_variable = std::map<std::string, Queue>;
using Event_All_variable = std::map<std::string, Event>;

inline Queue_All_variable make_queue_registry() {
    Queue_All_variable queues;
    queues["get_receipt"];
    queues["end"];
    queues["outcome"];
    return queues;
}

inline Event_All_variable make_event_registry() {
    Event_All_variable events;
    events["get_receipt"];
    events["end"];
    return events;
}
