// The Debian package that scripts/package makes, unpacked into a scratch root and run
// from there: the installed layout must work on its own, without the build folder.
#include "docx_fixture.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <docx_loom/word_document.hpp>
#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string kProgramFolder = "usr/lib/tarnwickery/";
const std::string kCommands[] = {"tarnwickery-receipt", "docx-loom"};

const std::string kRequest =
    R"({"買受人": "王小明", "買受人統一編號": "12345678", "品名": ["茶葉"], "數量": [2], "單件價格": [300], "存檔路徑": "",)"
    R"( "顯示免用統一發票章": false, "顯示負責人章": false, "顯示日期": true, "年": 2025, "月": 3, "日": 9})";

// The package of this source's version, or "" after a failure that says how to make it.
std::string package_file() {
    const std::string prefix = "tarnwickery_" TARNWICKERY_VERSION "_";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(TARNWICKERY_PACKAGE_FOLDER, ec)) {
        const std::string name = platform::from_path(entry.path().filename());
        if (name.starts_with(prefix) && name.ends_with(".deb")) return platform::from_path(entry.path());
    }
    ADD_FAILURE() << "no " << prefix << "*.deb in " << TARNWICKERY_PACKAGE_FOLDER
                  << ": run scripts/package first (scripts/test does)";
    return {};
}

std::string trimmed(std::string text) {
    text.erase(text.find_last_not_of(" \n") + 1);
    return text;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        part.erase(0, part.find_first_not_of(' '));
        parts.push_back(trimmed(part));
    }
    return parts;
}

// Every file and link below `folder`, by path relative to it, with its size.
std::map<std::string, std::uintmax_t> tree(const std::string& folder) {
    std::map<std::string, std::uintmax_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(platform::to_path(folder))) {
        if (entry.is_directory()) continue;
        const std::string name = platform::from_path(entry.path().lexically_relative(platform::to_path(folder)));
        files[name] = entry.is_symlink() || !entry.is_regular_file() ? 0 : entry.file_size();
    }
    return files;
}

bool is_elf(const fs::path& file) {
    return fixture::read_file(platform::from_path(file)).starts_with("\x7f" "ELF");
}

// The installed package that holds a system file, or "".
std::string owning_package(const std::string& path) {
    // dpkg knows a file by the path its package installed, which a merged /usr may hide.
    for (const fs::path& candidate : {fs::path(path), fs::canonical(path), fs::path("/usr" + path)}) {
        const auto search = tools::run("dpkg-query -S " + tools::quote(candidate.string()));
        if (search.status == 0) return search.output.substr(0, search.output.find(':'));
    }
    return {};
}

// The package unpacked once for all the tests, with its control fields.
class InstalledPackage : public testing::Test {
protected:
    static void SetUpTestSuite() {
        deb_ = new std::string(package_file());
        root_ = new std::string(tools::fresh_folder("installed"));
        if (deb_->empty()) return;
        const auto unpacked = tools::run("dpkg-deb -x " + tools::quote(*deb_) + " " + tools::quote(*root_));
        if (unpacked.status != 0) {
            ADD_FAILURE() << "cannot unpack " << *deb_ << ":\n" << unpacked.output;
            deb_->clear();
        }
    }
    static void TearDownTestSuite() {
        delete deb_;
        delete root_;
    }
    void SetUp() override {
        if (deb_->empty()) FAIL() << "no package to test (see above)";
    }

    static std::string field(const std::string& name) {
        const auto result = tools::run("dpkg-deb -f " + tools::quote(*deb_) + " " + name);
        EXPECT_EQ(result.status, 0) << result.output;
        return trimmed(result.output);
    }
    static std::string installed(const std::string& path) { return *root_ + path; }
    static tools::CommandResult command(const std::string& name, const std::string& arguments) {
        return tools::run(tools::quote(installed("usr/bin/" + name)) + " " + arguments);
    }

    static std::string* deb_;
    static std::string* root_;
};

std::string* InstalledPackage::deb_ = nullptr;
std::string* InstalledPackage::root_ = nullptr;

}  // namespace

TEST_F(InstalledPackage, CommandsAreLinksIntoTheProgramFolderAndCarryThePackagesVersion) {
    const std::string version = field("Version");
    ASSERT_EQ(version, TARNWICKERY_VERSION);
    for (const std::string& name : kCommands) {
        SCOPED_TRACE(name);
        const fs::path link = platform::to_path(installed("usr/bin/" + name));
        ASSERT_TRUE(fs::is_symlink(link));
        EXPECT_TRUE(fs::read_symlink(link).is_relative()) << "an absolute link leaves the unpacked root";
        EXPECT_EQ(fs::canonical(link), fs::canonical(platform::to_path(installed(kProgramFolder + name))));

        const auto result = command(name, "--version");
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.output, name + " " + version + "\n");
    }
}

TEST_F(InstalledPackage, ManualPagesInEnglishAndTraditionalChinese) {
    for (const std::string& name : kCommands) {
        SCOPED_TRACE(name);
        const auto english = tools::run("zcat " + tools::quote(installed("usr/share/man/man1/" + name + ".1.gz")));
        EXPECT_NE(english.output.find(".SH SYNOPSIS"), std::string::npos) << english.output;
        const auto chinese = tools::run("zcat " + tools::quote(installed("usr/share/man/zh_TW/man1/" + name + ".1.gz")));
        ASSERT_EQ(chinese.status, 0) << chinese.output;
        for (const char* heading : {".SH 名稱", ".SH 概要", ".SH 說明"})
            EXPECT_NE(chinese.output.find(heading), std::string::npos) << heading;
        // The page carries the program's own Chinese --help, not the English one.
        EXPECT_NE(chinese.output.find("顯示這份說明後結束"), std::string::npos);
        EXPECT_EQ(chinese.output.find("print this help"), std::string::npos);
    }
}

TEST_F(InstalledPackage, ShipsTheWholeProgramFolder) {
    std::set<std::string> built, shipped;
    for (const auto& [name, size] : tree(tools::program_dir())) built.insert(name);
    for (const auto& [name, size] : tree(installed(kProgramFolder))) shipped.insert(name);
    EXPECT_EQ(shipped, built);
}

// Every library an installed file needs comes with the system or with a package the
// control file asks for.
TEST_F(InstalledPackage, DependsOnThePackageOfEveryLinkedLibrary) {
    if (!tools::require("readelf", "binutils") || !tools::require("ldd", "libc-bin")) return;
    std::set<std::string> declared;
    for (const std::string& alternatives : split(field("Depends"), ','))
        for (const std::string& relation : split(alternatives, '|')) declared.insert(relation.substr(0, relation.find(' ')));

    const auto shipped = tree(installed(kProgramFolder));
    std::map<std::string, std::string> owners;  // by library path; asking dpkg is slow
    for (const auto& [name, size] : shipped) {
        const fs::path file = platform::to_path(installed(kProgramFolder + name));
        if (!is_elf(file)) continue;
        SCOPED_TRACE(name);
        const std::string quoted = tools::quote(platform::from_path(file));
        const auto dynamic = tools::run("readelf -d --wide " + quoted);
        const auto resolved = tools::run("ldd " + quoted);
        ASSERT_EQ(dynamic.status, 0) << dynamic.output;
        ASSERT_EQ(resolved.status, 0) << resolved.output;
        EXPECT_EQ(resolved.output.find("not found"), std::string::npos) << resolved.output;

        std::istringstream lines(dynamic.output);
        for (std::string line; std::getline(lines, line);) {
            const auto open = line.find("Shared library: [");
            if (open == std::string::npos) continue;
            const std::string library = line.substr(open + 17, line.find(']', open) - open - 17);
            if (shipped.contains(library)) continue;
            const auto at = resolved.output.find(library + " => ");
            ASSERT_NE(at, std::string::npos) << library << " is not in\n" << resolved.output;
            const auto path_start = at + library.size() + 4;
            const std::string path = resolved.output.substr(path_start, resolved.output.find(' ', path_start) - path_start);
            std::string& owner = owners[path];
            if (owner.empty()) owner = owning_package(path);
            ASSERT_FALSE(owner.empty()) << "no package owns " << path;
            EXPECT_TRUE(declared.contains(owner)) << library << " comes from " << owner << ", which Depends does not name";
        }
    }
}

TEST_F(InstalledPackage, FillsAndMakesReceiptsWithoutTheBuildFolderAndWritesOnlyUnderTheRootFolder) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    // Nothing may lead the installed programs back to the build.
    ScopedEnv no_press_dir("TARNWICKERY_PDF_PRESS_DIR", nullptr);
    ScopedEnv no_library_path("LD_LIBRARY_PATH", nullptr);
    const auto before = tree(*root_);

    const std::string work = tools::fresh_folder("installed-work");
    fixture::write_file(work + "template.docx", fixture::docx_bytes("<w:p><w:r><w:t>Dear $$$NAME$$$,</w:t></w:r></w:p>"));
    fixture::write_file(work + "plan.json", R"([{"old_text": "$$$NAME$$$", "new_text": "林小姐"}])");
    const auto filled = command("docx-loom", "fill " + tools::quote(work + "template.docx") + " " +
                                                 tools::quote(work + "plan.json") + " " + tools::quote(work + "out"));
    ASSERT_EQ(filled.status, 0) << filled.output;
    const auto doc = docx_loom::WordDocument::open(platform::to_path(work + "out.docx"));
    EXPECT_EQ(doc.paragraphs().at(0).text(), "Dear 林小姐,");

    fixture::write_file(work + "requests.jsonl", kRequest + "\n");
    const auto batch = command("tarnwickery-receipt", "--batch - < " + tools::quote(work + "requests.jsonl"));
    EXPECT_EQ(batch.status, 0) << batch.output;
    // 12345678 fails the check-digit rule: written, with a warning.
    EXPECT_TRUE(batch.output.ends_with("1 written, 0 failed, 1 with warnings\n")) << batch.output;
    int receipts = 0;
    for (const auto& entry : fs::directory_iterator(platform::to_path(platform::root_folder() + "免用統一發票收據/")))
        receipts += entry.path().extension() == ".pdf";
    EXPECT_EQ(receipts, 1);

    EXPECT_EQ(tree(*root_), before) << "the installed programs wrote into their own folders";
}

// What dpkg-gencontrol counts for a tree: each file and link its size in KiB rounded up,
// every folder 1 KiB.
std::uintmax_t installed_kib(const std::string& root) {
    std::uintmax_t kib = 1;
    for (const auto& entry : fs::recursive_directory_iterator(platform::to_path(root))) {
        if (entry.is_symlink())
            kib += (fs::read_symlink(entry.path()).native().size() + 1023) / 1024;
        else if (entry.is_directory())
            kib += 1;
        else
            kib += (entry.file_size() + 1023) / 1024;
    }
    return kib;
}

TEST_F(InstalledPackage, ControlFieldsGiveSectionVersionedLibrariesSuggestionsAndTheSizeDpkgCounts) {
    // Debian has no office section; its office programs are in editors.
    EXPECT_EQ(field("Section"), "editors");
    EXPECT_EQ(field("Suggests"), "cups");
    EXPECT_EQ(field("Installed-Size"), std::to_string(installed_kib(*root_)));

    // dpkg-shlibdeps gives each linked library's package the least version the programs need.
    std::map<std::string, std::string> relations;
    for (const std::string& alternatives : split(field("Depends"), ','))
        for (const std::string& relation : split(alternatives, '|'))
            relations[relation.substr(0, relation.find(' '))] = relation;
    for (const char* library : {"libc6", "libstdc++6", "libqt6core6", "libqt6widgets6", "libzip4", "libsqlite3-0", "libcups2"}) {
        ASSERT_TRUE(relations.contains(library)) << library << " is not in Depends";
        EXPECT_NE(relations[library].find(" (>= "), std::string::npos) << relations[library] << " names no version";
    }
}

TEST_F(InstalledPackage, SoftwareCentresFindAValidMetainfoForTheMenuEntry) {
    if (!tools::require("appstreamcli", "appstream")) return;
    const std::string metainfo = installed("usr/share/metainfo/tw.com.tarnwickery.receipt.metainfo.xml");
    const auto validated = tools::run("appstreamcli validate --no-net --pedantic " + tools::quote(metainfo));
    EXPECT_EQ(validated.status, 0) << validated.output;
    // The tree check also finds the menu entry and the icon the metainfo's launchable names.
    const auto tree_checked = tools::run("appstreamcli validate-tree --no-net " + tools::quote(*root_));
    EXPECT_EQ(tree_checked.status, 0) << tree_checked.output;

    const std::string text = fixture::read_file(metainfo);
    for (const std::string& expected :
         {std::string("<launchable type=\"desktop-id\">tarnwickery-receipt.desktop</launchable>"),
          std::string("<name xml:lang=\"zh-TW\">免用統一發票收據</name>"), std::string("<summary xml:lang=\"zh-TW\">"),
          std::string("<screenshot type=\"default\">"), std::string("<content_rating type=\"oars-1.1\"/>"),
          "<release version=\"" + field("Version") + "\""})
        EXPECT_NE(text.find(expected), std::string::npos) << "the metainfo lacks " << expected;
    EXPECT_TRUE(fs::exists(platform::to_path(installed("usr/share/applications/tarnwickery-receipt.desktop"))));
}

TEST_F(InstalledPackage, LintianFindsNoErrorsOrWarnings) {
    if (!tools::require("lintian", "lintian")) return;
    const auto result = tools::run("lintian " + tools::quote(*deb_));
    // Other tags are listed in the log; errors and warnings (a section the archive does
    // not have, needless ldconfig calls) fail.
    std::cout << result.output;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);)
        EXPECT_FALSE(line.starts_with("E: ") || line.starts_with("W: ")) << line;
    EXPECT_EQ(result.status, 0) << result.output;
}
