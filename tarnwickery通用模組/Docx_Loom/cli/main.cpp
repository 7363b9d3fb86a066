#include "plan.hpp"

#include <docx_loom/docx_loom.hpp>
#include <platform/root_folder.hpp>

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

struct FillArguments {
    std::string template_path;
    std::string plan_path;
    std::string output;
    bool pdf = false;
    bool no_docx = false;
};

nlohmann::json load_json(const std::string& path) {
    std::ifstream in(platform::to_path(path), std::ios::binary);
    if (!in) throw docx_loom::cli::PlanError("cannot read plan '" + path + "'");
    try {
        return nlohmann::json::parse(in);
    } catch (const nlohmann::json::parse_error& error) {
        throw docx_loom::cli::PlanError("plan '" + path + "' is not JSON: " + error.what());
    }
}

int fill(const FillArguments& args) {
    std::vector<docx_loom::cli::PlanItem> plan;
    try {
        plan = docx_loom::cli::read_plan(load_json(args.plan_path));
    } catch (const docx_loom::cli::PlanError& error) {
        std::cerr << "docx-loom: " << error.what() << '\n';
        return kBadArguments;
    }

    // The folder part, with its final separator, is where the files go.
    const auto cut = args.output.find_last_of("/\\");
    const std::string folder = cut == std::string::npos ? "" : args.output.substr(0, cut + 1);
    const std::string name = args.output.substr(folder.size());
    if (name.empty()) {
        std::cerr << "docx-loom: OUTPUT '" << args.output << "' names no file\n";
        return kBadArguments;
    }

    try {
        Docx_Loom::Document document;
        document.set_word_version_path("docx-loom", args.template_path);
        document.run_version("docx-loom", folder);
        for (auto& item : plan) document.set(item.old_text, item.new_text, std::move(item.options));
        document.execute_set();
        document.output(name, args.pdf, !args.no_docx);
    } catch (const std::exception& error) {
        std::cerr << "docx-loom: " << error.what() << '\n';
        return kFailed;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Fills .docx templates and writes .docx and PDF files.", "docx-loom"};
    app.require_subcommand(1);

    FillArguments fill_args;
    auto* fill_command = app.add_subcommand("fill", "Fill TEMPLATE with PLAN and write OUTPUT.docx and/or OUTPUT.pdf");
    fill_command->add_option("TEMPLATE", fill_args.template_path, "the .docx template")
        ->required()
        ->check(CLI::ExistingFile);
    fill_command->add_option("PLAN", fill_args.plan_path, "JSON array of replacements")
        ->required()
        ->check(CLI::ExistingFile);
    fill_command->add_option("OUTPUT", fill_args.output, "output path without extension")->required();
    fill_command->add_flag("--pdf", fill_args.pdf, "also write OUTPUT.pdf");
    fill_command->add_flag("--no-docx", fill_args.no_docx, "do not keep OUTPUT.docx");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {  // --help
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        std::cerr << "docx-loom: " << error.what() << '\n';
        return kBadArguments;
    }

    if (fill_command->parsed()) return fill(fill_args);
    return kBadArguments;
}
