#include "plan.hpp"

#include <docx_loom/console.hpp>
#include <docx_loom/docx_loom.hpp>
#include <platform/regular_file.hpp>
#include <platform/root_folder.hpp>

#include <bounded_input/cut.hpp>
#include <bounded_input/json.hpp>

#include <i18n/command_line.hpp>
#include <i18n/tr.hpp>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <charconv>
#include <iostream>
#include <optional>

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

struct FillArguments {
    std::string template_path;
    std::string plan_path;
    std::string output;
    bool pdf = false;
    bool no_docx = false;
    bool strict = false;
};

// Far more than any plan needs; a parsed value takes several times its text's size.
constexpr std::size_t kMaxPlanBytes = std::size_t{16} << 20;

// A regular file of at most kMaxPlanBytes: a FIFO or a device is refused at once
// rather than waited on or read for ever.
nlohmann::json load_json(const std::string& path) {
    std::string text;
    try {
        text = platform::read_regular_file(platform::to_path(path), kMaxPlanBytes);
    } catch (const platform::FileReadError& error) {
        throw docx_loom::cli::PlanError(i18n::tr("cannot read plan '{1}': {2}", {path, error.reason()}));
    }
    try {
        return bounded_input::parse_json(text);
    } catch (const bounded_input::DuplicateKeyError& error) {
        // In a plan's array, "/2" is the object of entry 3 or what it holds.
        const std::string& at = error.pointer();
        std::size_t index = 0;
        const char* const end = at.data() + at.size();
        const auto [stop, failed] = std::from_chars(at.data() + std::min<std::size_t>(1, at.size()), end, index);
        const bool in_array = text.find_first_not_of(" \t\r\n") == text.find('[');
        if (in_array && at.starts_with('/') && failed == std::errc() && (stop == end || *stop == '/'))
            throw docx_loom::cli::PlanError(
                i18n::tr("plan '{1}': plan entry {2} has the key \"{3}\" twice; give each key once",
                         {path, std::to_string(index + 1), bounded_input::cut(error.key(), 100)}));
        throw docx_loom::cli::PlanError(i18n::tr("plan '{1}': {2}", {path, error.what()}));
    } catch (const bounded_input::JsonError& error) {
        throw docx_loom::cli::PlanError(i18n::tr("plan '{1}' is not JSON: {2}", {path, error.what()}));
    }
}

struct TextArguments {
    std::string template_path;
};

struct CheckArguments {
    std::string template_path;
    std::string plan_path;
    bool range = false;
    bool strict = false;
};

struct TableArguments {
    std::string output;
    std::string template_path;
    std::string abstract;
    std::string papn;
    std::string title;
    int rows = 4;
    int cols = 3;
    std::optional<std::string> image;
};

// UTF-8 as it is; bytes that are not UTF-8 print as U+FFFD instead of failing.
std::string to_json_text(const nlohmann::ordered_json& value) {
    return value.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void open_template(docx_loom::Document& document, const std::string& template_path) {
    document.set_word_version_path("docx-loom", template_path);
    document.run_version("docx-loom", "");
}

// Engine failures end the command with one line and kFailed.
template <typename Work>
int run_engine(Work&& work) {
    try {
        work();
    } catch (const std::exception& error) {
        std::cerr << "docx-loom: " << error.what() << '\n';
        return kFailed;
    }
    return 0;
}

// A plan that cannot be read is a bad argument.
std::optional<std::vector<docx_loom::cli::PlanItem>> read_plan_file(const std::string& path) {
    try {
        return docx_loom::cli::read_plan(load_json(path));
    } catch (const docx_loom::cli::PlanError& error) {
        std::cerr << "docx-loom: " << error.what() << '\n';
        return std::nullopt;
    }
}

void queue(docx_loom::Document& document, std::vector<docx_loom::cli::PlanItem>& plan) {
    for (auto& item : plan) document.set(item.old_text, item.new_text, std::move(item.options));
}

// Warns on standard error about every placeholder of the plan that no place of the
// template holds, where the fill visits; returns whether there was one.
bool warn_about_absent_placeholders(const docx_loom::Document& document, const std::string& template_path) {
    const auto places = document.place_texts();
    bool absent = false;
    for (const auto& [placeholder, entry] : document.replace_value) {
        if (std::any_of(places.begin(), places.end(),
                        [&](const docx_loom::PlaceText& place) { return place.holds(placeholder); }))
            continue;
        std::cerr << "docx-loom: "
                  << i18n::tr("warning: the placeholder {1} is found nowhere in '{2}'",
                              {to_json_text(bounded_input::cut(placeholder)), template_path})
                  << '\n';
        absent = true;
    }
    return absent;
}

// Texts and the parts they are in, as two lists of the same length.
template <typename Texts, typename Parts>
nlohmann::ordered_json texts_and_parts(const Texts& texts, const Parts& parts) {
    return {{"text", texts}, {"part", parts}};
}

int text(const TextArguments& args) {
    return run_engine([&] {
        Docx_Loom::Document document;
        open_template(document, args.template_path);
        std::vector<std::string> texts, parts;
        for (const auto& place : document.place_texts()) {
            texts.push_back(place.text);
            parts.push_back(place.part);
        }
        std::cout << to_json_text(texts_and_parts(texts, parts)) << '\n';
    });
}

int check(const CheckArguments& args) {
    auto plan = read_plan_file(args.plan_path);
    if (!plan) return kBadArguments;
    int status = 0;
    const int failed = run_engine([&] {
        Docx_Loom::Document document;
        open_template(document, args.template_path);
        queue(document, *plan);
        if (warn_about_absent_placeholders(document, args.template_path) && args.strict) status = kFailed;
        const docx_loom::CheckDict records = document.check_places(args.range);
        // Placeholders in the plan's order, not in the order they were first found.
        auto found = nlohmann::ordered_json::object();
        for (const auto& [placeholder, entry] : document.replace_value)
            if (const auto* record = records.find(placeholder))
                found[placeholder] = texts_and_parts(record->text, record->part);
        std::cout << to_json_text(found) << '\n';
    });
    return failed ? failed : status;
}

int table(const TableArguments& args) {
    return run_engine([&] {
        Docx_Loom::Document document;
        open_template(document, args.template_path);
        document._add_table(args.abstract, args.papn, args.title, args.rows, args.cols, args.image);
        document.doc->save(platform::to_path(args.output));
    });
}

// Less room than this, and a filled document cannot be saved and converted.
constexpr std::uintmax_t kFullDiskBytes = std::uintmax_t{16} << 20;

// Called while a failed save or conversion is being handled: on a disk with no room
// left, says so instead of what the save or the office said; else rethrows it.
[[noreturn]] void rethrow_naming_a_full_disk(const std::string& folder) {
    std::error_code ec;
    const auto space = std::filesystem::space(platform::to_path(folder.empty() ? "." : folder), ec);
    if (!ec && space.available < kFullDiskBytes)
        throw std::runtime_error(i18n::tr("the disk holding {1} is full; free some space on it, then fill again",
                                          {folder.empty() ? i18n::tr("the current folder") : folder}));
    throw;
}

int fill(const FillArguments& args) {
    auto plan = read_plan_file(args.plan_path);
    if (!plan) return kBadArguments;

    // The folder part, with its final separator, is where the files go.
    const auto cut = args.output.find_last_of("/\\");
    const std::string folder = cut == std::string::npos ? "" : args.output.substr(0, cut + 1);
    const std::string name = args.output.substr(folder.size());
    if (name.empty()) {
        std::cerr << "docx-loom: " << i18n::tr("OUTPUT '{1}' names no file", {args.output}) << '\n';
        return kBadArguments;
    }

    int status = 0;
    const int failed = run_engine([&] {
        Docx_Loom::Document document;
        document.set_word_version_path("docx-loom", args.template_path);
        document.run_version("docx-loom", folder);
        queue(document, *plan);
        // Strict: a plan that does not fit its template writes nothing.
        if (warn_about_absent_placeholders(document, args.template_path) && args.strict) {
            status = kFailed;
            return;
        }
        document.execute_set();
        try {
            document.output(name, args.pdf, !args.no_docx);
        } catch (const std::exception&) {
            rethrow_naming_a_full_disk(folder);
        }
    });
    return failed ? failed : status;
}

}  // namespace

int main(int argc, char** argv) {
    // Standard output carries results (the completion line, JSON); failures go apart.
    docx_loom::print_failures_to(std::cerr);
    CLI::App app{i18n::tr("Fills .docx templates and writes .docx and PDF files."), "docx-loom"};
    app.set_version_flag("--version", "docx-loom " TARNWICKERY_VERSION, i18n::tr("print the program's version and exit"));
    app.require_subcommand(1);

    FillArguments fill_args;
    auto* fill_command = app.add_subcommand("fill", i18n::tr("Fill TEMPLATE with PLAN and write OUTPUT.docx and/or OUTPUT.pdf"));
    fill_command->add_option("TEMPLATE", fill_args.template_path, i18n::tr("the .docx template"))
        ->required()
        ->check(CLI::ExistingFile);
    fill_command->add_option("PLAN", fill_args.plan_path, i18n::tr("JSON array of replacements"))
        ->required()
        ->check(CLI::ExistingFile);
    fill_command->add_option("OUTPUT", fill_args.output, i18n::tr("output path without extension"))->required();
    fill_command->add_flag("--pdf", fill_args.pdf, i18n::tr("also write OUTPUT.pdf"));
    fill_command->add_flag("--no-docx", fill_args.no_docx, i18n::tr("do not keep OUTPUT.docx"));
    fill_command->add_flag("--strict", fill_args.strict,
                           i18n::tr("write nothing and exit with status 1 when a placeholder of PLAN is found nowhere in TEMPLATE"));

    TextArguments text_args;
    auto* text_command = app.add_subcommand(
        "text", i18n::tr("Print the text of every paragraph and table cell of TEMPLATE that fill visits, with its part, as JSON"));
    text_command->add_option("TEMPLATE", text_args.template_path, i18n::tr("the .docx template"))
        ->required()
        ->check(CLI::ExistingFile);

    CheckArguments check_args;
    auto* check_command = app.add_subcommand(
        "check", i18n::tr("Dry-run PLAN on TEMPLATE: print, for each placeholder, the paragraphs and cells it would replace in"));
    check_command->add_option("TEMPLATE", check_args.template_path, i18n::tr("the .docx template"))
        ->required()
        ->check(CLI::ExistingFile);
    check_command->add_option("PLAN", check_args.plan_path, i18n::tr("JSON array of replacements"))
        ->required()
        ->check(CLI::ExistingFile);
    check_command->add_flag("--range", check_args.range,
                            i18n::tr("count each placeholder only from the first paragraph holding its replacement text, "
                                     "and nothing from the heading 【符號說明】 on"));
    check_command->add_flag("--strict", check_args.strict,
                            i18n::tr("exit with status 1 when a placeholder of PLAN is found nowhere in TEMPLATE"));

    TableArguments table_args;
    auto* table_command = app.add_subcommand("table", i18n::tr("Append one patent entry to TEMPLATE and write OUTPUT.docx"));
    table_command->add_option("OUTPUT", table_args.output, i18n::tr("the .docx file to write"))->required();
    table_command->add_option("--from", table_args.template_path, i18n::tr("the .docx to append to"))
        ->required()
        ->check(CLI::ExistingFile);
    table_command->add_option("--abstract", table_args.abstract, i18n::tr("the abstract"));
    table_command->add_option("--papn", table_args.papn, i18n::tr("the patent's number"));
    table_command->add_option("--title", table_args.title, i18n::tr("the patent's title"));
    // Fewer rows or columns than the layout uses are refused here; Word takes at most 63 columns.
    table_command->add_option("--rows", table_args.rows, i18n::tr("table rows (default 4)"))->check(CLI::Range(4, 1000));
    table_command->add_option("--cols", table_args.cols, i18n::tr("table columns (default 3)"))->check(CLI::Range(3, 63));
    table_command->add_option("--image", table_args.image, i18n::tr("picture for the fourth row"))->check(CLI::ExistingFile);

    i18n::speak_the_users_language(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {  // --help, --version
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        std::cerr << "docx-loom: " << i18n::refusal_text(error) << '\n';
        return kBadArguments;
    }

    if (fill_command->parsed()) return fill(fill_args);
    if (text_command->parsed()) return text(text_args);
    if (check_command->parsed()) return check(check_args);
    if (table_command->parsed()) return table(table_args);
    return kBadArguments;
}
