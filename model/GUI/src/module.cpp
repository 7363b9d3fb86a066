// The receipt window as a plug-in module: its entry point.
#include "gui.hpp"

#include <platform/module_folder.hpp>
#include <platform/root_folder.hpp>

#include <iostream>

#ifdef _WIN32
#define WINDOW_EXPORT __declspec(dllexport)
#else
#define WINDOW_EXPORT __attribute__((visibility("default")))
#endif

namespace {

// The pictures sit in 格式範本 beside the module's own file, wherever the program
// folder was copied to, whatever the working folder is.
std::string resource_folder() {
    return platform::module_folder_of(reinterpret_cast<const void*>(&resource_folder)) + "格式範本/";
}

}  // namespace

extern "C" WINDOW_EXPORT void GUI(Queue_All_variable& Queue_All_variable, Event_All_variable& Event_All_variable) {
    std::string folder;
    try {
        folder = resource_folder();
    } catch (const std::exception& error) {
        std::cout << error.what() << std::endl;  // the window still opens, without its pictures
    }
    receipt_window::run_gui(Queue_All_variable, Event_All_variable, {.resource_folder = folder});
}
