#include <docx_loom/console.hpp>

#include "detail/log_lines.hpp"

#include <atomic>
#include <iostream>

namespace docx_loom {
namespace {

std::atomic<std::ostream*> failures{&std::cout};

}  // namespace

void print_failures_to(std::ostream& stream) { failures = &stream; }

namespace detail {

std::ostream& failure_stream() { return *failures; }

}  // namespace detail
}  // namespace docx_loom
