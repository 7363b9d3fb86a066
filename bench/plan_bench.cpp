// Times what a large plan costs docx-loom: reading its JSON, queuing every entry, the
// dry run and the fill, for plans of 200,000 and 400,000 entries (or the counts given
// as arguments). Each step should grow with the plan, not with its square.
#include "bench_support.hpp"
#include "docx_fixture.hpp"
#include "plan.hpp"

#include <bounded_input/json.hpp>
#include <docx_loom/document.hpp>
#include <platform/memory.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A template with a few dozen places, each holding one of the plan's placeholders.
std::string template_body() {
    std::string body;
    for (int i = 0; i < 40; ++i) body += "<w:p><w:r><w:t>{P" + std::to_string(i * 997) + "} and more</w:t></w:r></w:p>";
    return body;
}

std::string plan_text(int entries) {
    std::string text = "[";
    for (int i = 0; i < entries; ++i)
        text += std::string(i ? ",\n" : "") + R"({"old_text": "{P)" + std::to_string(i) + R"(}", "new_text": "value )" +
                std::to_string(i) + "\"}";
    return text + "]";
}

void measure(int entries) {
    const std::string text = plan_text(entries);
    const std::string docx = fixture::docx_bytes(template_body());

    auto start = std::chrono::steady_clock::now();
    auto items = docx_loom::cli::read_plan(bounded_input::parse_json(text));
    const double read = bench::milliseconds_since(start);

    start = std::chrono::steady_clock::now();
    docx_loom::Document document = fixture::loaded(template_body());
    for (auto& item : items) document.set(item.old_text, item.new_text, std::move(item.options));
    const double queued = bench::milliseconds_since(start);

    start = std::chrono::steady_clock::now();
    const auto records = document.check_places(false);
    const double checked = bench::milliseconds_since(start);

    start = std::chrono::steady_clock::now();
    document.execute_set();
    const double filled = bench::milliseconds_since(start);

    std::printf("%7d entries (%5.1f MiB of JSON): read %8.1f ms, queue %8.1f ms, check %8.1f ms (%zu found), "
                "fill %8.1f ms\n",
                entries, text.size() / (1024.0 * 1024.0), read, queued, checked, records.size(), filled);
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("plan benchmark, %s\n", bench::machine_load().c_str());
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {200'000, 400'000};
    for (const int entries : counts) measure(entries);
    std::printf("peak resident memory %.1f MiB\n", platform::peak_resident_bytes() / (1024.0 * 1024.0));
}
