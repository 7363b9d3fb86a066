#pragma once

#include "receipt_window.hpp"

#include <receipt_channels/channels.hpp>

#include <functional>

namespace receipt_window {

// The window's part of shutting down: a null item on queue "end", event "end" set,
// then a null item on queue "get_receipt" to wake the worker, in this order, so that
// whatever the worker takes next it finds "end" set.
template <typename Queues, typename Events>
void shutdown_sequence(Queues& queues, Events& events) {
    queues.at("end").put(nullptr);
    events.at("end").set();
    queues.at("get_receipt").put(nullptr);
}

// The whole life of the window: makes a QApplication when there is none, builds and
// shows the window, runs its event loop until it is closed, then performs the
// shutdown sequence. `opened` runs once the window is shown. A window that cannot be
// built is reported on standard output and the shutdown sequence still runs, so that
// the worker always ends.
void run_gui(Queue_All_variable& queues, Event_All_variable& events, Window_Setup setup,
             const std::function<void(Receipt_Window&)>& opened = {});

}  // namespace receipt_window
