// The receipt worker as a plug-in module: what it does when loaded, and its entry
// points.
#include "log_lines.hpp"
#include "receipt_job.hpp"

#include <platform/module_folder.hpp>
#include <platform/root_folder.hpp>

#ifdef _WIN32
#define WORKER_EXPORT __declspec(dllexport)
#else
#define WORKER_EXPORT __attribute__((visibility("default")))
#endif

namespace {

std::string own_file() { return platform::module_file_of(reinterpret_cast<const void*>(&own_file)); }

// The module's resources sit in 格式範本 beside its own file, wherever the program
// folder was copied to.
std::string resource_folder() { return platform::module_folder_of(reinterpret_cast<const void*>(&own_file)) + "格式範本/"; }

struct AnnounceOnLoad {
    AnnounceOnLoad() { receipt_worker::log::module_loaded(platform::from_path(platform::to_path(own_file()).filename())); }
};
const AnnounceOnLoad announce;

}  // namespace

extern "C" WORKER_EXPORT void receipt(Queue_All_variable& Queue_All_variable, Event_All_variable& Event_All_variable) {
    receipt_worker::Receipt_Job job(resource_folder());
    receipt_worker::run_receipts(job, Queue_All_variable, Event_All_variable);
}

extern "C" WORKER_EXPORT Receipt_Maker* new_receipt_maker() { return new receipt_worker::Receipt_Job(resource_folder()); }
