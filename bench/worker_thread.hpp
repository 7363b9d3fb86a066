#pragma once

#include "gui.hpp"
#include "receipt_job.hpp"

#include <receipt_channels/channels.hpp>

#include <string>
#include <thread>

namespace bench {

// The receipt worker on a thread of its own, as the launcher starts it. It ends with the
// object, after the window's shutdown sequence, whatever happened in between.
class Worker_Thread {
public:
    Worker_Thread(std::string resource_folder, Queue_All_variable& queues, Event_All_variable& events)
        : queues_(queues), events_(events), thread_([resources = std::move(resource_folder), &queues, &events] {
              receipt_worker::Receipt_Job job(resources);
              receipt_worker::run_receipts(job, queues, events);
          }) {}
    Worker_Thread(const Worker_Thread&) = delete;
    Worker_Thread& operator=(const Worker_Thread&) = delete;
    ~Worker_Thread() {
        receipt_window::shutdown_sequence(queues_, events_);
        thread_.join();
    }

private:
    Queue_All_variable& queues_;
    Event_All_variable& events_;
    std::thread thread_;
};

}  // namespace bench
