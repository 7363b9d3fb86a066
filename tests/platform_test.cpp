#include "platform/file_lock.hpp"
#include "platform/plugin.hpp"
#include "platform/private_files.hpp"
#include "platform/process.hpp"
#include "platform/publish_file.hpp"
#include "platform/root_folder.hpp"
#include "platform/temp_folder.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

fs::path fresh_folder(const std::string& name) {
    fs::path folder = platform::to_path(platform::working_folder()) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

}  // namespace

TEST(TempFolder, IsUniqueAndRemovedWithItsContents) {
    fs::path parent = fresh_folder("temp-folder");
    fs::path kept;
    {
        platform::TempFolder first(parent, ".scratch-");
        platform::TempFolder second(parent, ".scratch-");
        EXPECT_NE(first.path(), second.path());
        EXPECT_EQ(first.path().parent_path(), parent);
        fs::create_directories(first.path() / "inner");
        std::ofstream(first.path() / "inner" / "file.txt") << "x";
        kept = first.path();
        platform::TempFolder moved = std::move(first);
        EXPECT_EQ(moved.path(), kept);
    }
    EXPECT_FALSE(fs::exists(kept));
    EXPECT_TRUE(fs::is_empty(parent));
    EXPECT_THROW(platform::TempFolder(parent / "missing", "x-"), platform::Error);
}

TEST(FileLock, IsExclusiveUntilReleased) {
    fs::path lock_file = fresh_folder("lock") / "slot.lock";
    auto first = platform::FileLock::try_acquire(lock_file);
    ASSERT_TRUE(first.has_value());
    EXPECT_FALSE(platform::FileLock::try_acquire(lock_file).has_value());

    // Moving the lock hands it over; the moved-from object must not release it.
    std::optional<platform::FileLock> moved(std::move(*first));
    first.reset();
    EXPECT_FALSE(platform::FileLock::try_acquire(lock_file).has_value());

    moved.reset();
    EXPECT_TRUE(platform::FileLock::try_acquire(lock_file).has_value());
}

TEST(FileLock, AcquireWaitsUntilTheHolderLetsGo) {
    fs::path lock_file = fresh_folder("lock-wait") / "slot.lock";
    auto held = platform::FileLock::try_acquire(lock_file);
    ASSERT_TRUE(held.has_value());
    std::atomic<bool> acquired{false};
    std::thread waiter([&] {
        const auto lock = platform::FileLock::acquire(lock_file);
        acquired = true;
    });
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(acquired.load()) << "acquire must wait while the lock is held";
    held.reset();
    waiter.join();
    EXPECT_TRUE(acquired.load());
    EXPECT_THROW(platform::FileLock::acquire(lock_file.parent_path() / "missing" / "slot.lock"), platform::Error);
}

TEST(PublishFile, MovesIntoPlaceButNeverReplacesAFile) {
    const fs::path folder = fresh_folder("publish");
    const fs::path scratch = folder / "scratch.pdf", final_path = folder / "收據.pdf";
    std::ofstream(scratch) << "first";
    platform::publish_file(scratch, final_path);
    EXPECT_FALSE(fs::exists(scratch));
    std::stringstream first;
    first << std::ifstream(final_path).rdbuf();
    EXPECT_EQ(first.str(), "first");

    std::ofstream(scratch) << "second";
    try {
        platform::publish_file(scratch, final_path);
        FAIL() << "an existing file must not be replaced";
    } catch (const platform::Error& e) {
        EXPECT_NE(std::string(e.what()).find("already exists"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(platform::from_path(final_path)), std::string::npos) << e.what();
    }
    std::stringstream kept;
    kept << std::ifstream(final_path).rdbuf();
    EXPECT_EQ(kept.str(), "first");
    EXPECT_TRUE(fs::exists(scratch)) << "the scratch file stays where it was";
    EXPECT_THROW(platform::publish_file(folder / "absent.pdf", folder / "other.pdf"), platform::Error);
}

#ifndef _WIN32
// Files were made 644 and folders 755, as the umask gave them: any local user could
// open the lock file and hold the lock, stalling every receipt.
TEST(PrivateFiles, FoldersAndFilesAreTheUsersOnlyWhateverTheUmask) {
    const fs::path folder = fresh_folder("private");
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    const auto mode = [](const fs::path& path) { return fs::status(path).permissions() & fs::perms::mask; };
    constexpr auto kFolder = fs::perms::owner_all;
    constexpr auto kFile = fs::perms::owner_read | fs::perms::owner_write;
    std::ofstream(folder / "old.lock") << "";
    fs::permissions(folder / "old.lock", kFile | fs::perms::group_read | fs::perms::others_read);
    for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{0277}}) {
        const mode_t previous = ::umask(mask);
        std::error_code error;
        fs::remove_all(folder / "a");
        platform::create_private_folders(folder / "a" / "b", error);
        EXPECT_FALSE(error) << error.message();
        EXPECT_EQ(mode(folder / "a"), kFolder);
        EXPECT_EQ(mode(folder / "a" / "b"), kFolder);
        EXPECT_FALSE(platform::create_private_folder(folder / "a", error)) << "an existing folder is left";
        EXPECT_EQ(mode(platform::TempFolder(folder / "a", "t-").path()), kFolder);
        platform::create_private_file(folder / "a" / "file");
        EXPECT_EQ(mode(folder / "a" / "file"), kFile);
        EXPECT_EQ(mode(platform::FileLock::acquire(folder / "a" / "new.lock").path()), kFile);
        std::ofstream(folder / "a" / "scratch") << "made by another program";
        platform::publish_file(folder / "a" / "scratch", folder / "a" / "published");
        EXPECT_EQ(mode(folder / "a" / "published"), kFile);
        EXPECT_EQ(mode(platform::FileLock::acquire(folder / "old.lock").path()), kFile) << "a lock file of ours is made private";
        ::umask(previous);
    }
    EXPECT_EQ(mode(folder), kFolder | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec)
        << "an existing folder keeps its modes";
}
#endif

TEST(FileLock, ErrorNamesTheFile) {
    fs::path lock_file = fresh_folder("lock-error") / "no-such-folder" / "slot.lock";
    try {
        platform::FileLock::try_acquire(lock_file);
        FAIL() << "locking in a missing folder should throw";
    } catch (const platform::Error& e) {
        EXPECT_NE(std::string(e.what()).find(platform::from_path(lock_file)), std::string::npos)
            << e.what();
    }
}

#ifdef _WIN32

TEST(RootFolder, IsFixedOnWindows) {
    EXPECT_EQ(platform::root_folder(), "C:/tarnwickery/");
    EXPECT_EQ(platform::working_folder(), "C:/tarnwickery/temp/");
}

#else

namespace {

// Whether a process that has not yet died is in group `group` (zombies are dead:
// they only wait for their parent to collect them).
bool group_has_live_member(int group) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        // Fields after the command name, which is in parentheses and may hold spaces.
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        char state = 0;
        int parent = 0;
        int process_group = 0;
        rest >> state >> parent >> process_group;
        if (process_group == group && state != 'Z' && state != 'X') {
            return true;
        }
    }
    return false;
}

bool group_dies_within(int group, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (group_has_live_member(group)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

}  // namespace

TEST(Plugin, MovedOntoAnotherReleasesItsOwnAndKeepsTheOther) {
    // The engine's module, loaded twice under a long path (kept on the heap, where a
    // string freed twice shows under the sanitizers); it reaches zlib through its
    // dependencies.
    using Version = const char*();
    const std::string module = tools::program_dir() + "/libDocx_Loom.so";
    platform::Plugin plugin(module);
    plugin = platform::Plugin(module);
    EXPECT_NE(plugin.function<Version>("zlibVersion"), nullptr);
    auto& same = plugin;
    plugin = std::move(same);
    EXPECT_NE(plugin.function<Version>("zlibVersion"), nullptr);
    try {
        plugin.function<Version>("no_such_entry_point");
        ADD_FAILURE() << "a missing entry point was found";
    } catch (const platform::Error& error) {
        EXPECT_NE(std::string(error.what()).find(module + " has no entry point no_such_entry_point"), std::string::npos)
            << error.what();
    }
}

TEST(RootFolder, FollowsTheEnvironment) {
    {
        ScopedEnv root("TARNWICKERY_ROOT", "/srv/receipts");
        EXPECT_EQ(platform::root_folder(), "/srv/receipts/");
        EXPECT_EQ(platform::working_folder(), "/srv/receipts/temp/");
    }
    {
        ScopedEnv root("TARNWICKERY_ROOT", "/srv/收據/");
        EXPECT_EQ(platform::root_folder(), "/srv/收據/");
    }
    {
        ScopedEnv root("TARNWICKERY_ROOT", nullptr);
        ScopedEnv home("HOME", "/home/clerk");
        EXPECT_EQ(platform::root_folder(), "/home/clerk/tarnwickery/");
    }
    {
        ScopedEnv root("TARNWICKERY_ROOT", "");
        ScopedEnv home("HOME", "/home/clerk/");
        EXPECT_EQ(platform::root_folder(), "/home/clerk/tarnwickery/");
    }
    {
        ScopedEnv root("TARNWICKERY_ROOT", nullptr);
        ScopedEnv home("HOME", nullptr);
        const passwd* account = ::getpwuid(::getuid());
        ASSERT_NE(account, nullptr);
        std::string expected = account->pw_dir;
        if (expected.back() != '/') {
            expected += '/';
        }
        EXPECT_EQ(platform::root_folder(), expected + "tarnwickery/");
    }
}

TEST(Process, CapturesOutputExitCodeAndEnvironment) {
    platform::ProcessOptions options;
    options.environment = {{"RECEIPT_TITLE", "統一發票"}, {"HOME", "/nowhere"}};
    platform::Process child({"sh", "-c", "echo \"$RECEIPT_TITLE $HOME\"; echo oops >&2; read x; exit 3"},
                            options);
    auto status = child.wait_for(10s);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->code, 3);  // `read` found end-of-file at once instead of hanging
    EXPECT_EQ(status->signal, 0);
    EXPECT_FALSE(status->success());
    EXPECT_EQ(child.output(), "統一發票 /nowhere\noops\n");
    EXPECT_EQ(platform::describe(*status), "exit code 3");
}

TEST(Process, MissingProgramIsNamed) {
    try {
        platform::Process child({"no-such-program-tarnwickery"});
        FAIL() << "starting a missing program should throw";
    } catch (const platform::ProcessError& e) {
        EXPECT_NE(std::string(e.what()).find("no-such-program-tarnwickery"), std::string::npos);
    }
    // Found on disk but not startable: the failure comes back from the child.
    fs::path script = fresh_folder("not-startable") / "bad-interpreter";
    std::ofstream(script) << "#!/no/such/interpreter\n";
    fs::permissions(script, fs::perms::owner_all);
    EXPECT_THROW(platform::Process({platform::from_path(script)}), platform::ProcessError);
}

TEST(Process, TimeOutThenKillTreeLeavesNoSurvivor) {
    platform::Process child({"sh", "-c", "sleep 100 & sleep 100"});
    int group = child.id();
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(child.wait_for(300ms).has_value());
    EXPECT_GE(std::chrono::steady_clock::now() - started, 300ms);
    EXPECT_TRUE(group_has_live_member(group));

    child.kill_tree();
    auto status = child.wait_for(0ms);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->signal, SIGKILL);
    EXPECT_TRUE(group_dies_within(group, 5s)) << "the background sleep survived";
}

TEST(Process, DestructorKillsAndReaps) {
    int pid = 0;
    {
        platform::Process child({"sh", "-c", "sleep 100 & sleep 100"});
        pid = child.id();
    }
    // Reaped: not even a zombie is left under that id.
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_TRUE(group_dies_within(pid, 5s));
}

TEST(Process, DoesNotInheritOpenDescriptors) {
    // An inherited lock descriptor would keep the lock held for as long as the child
    // lives. Libraries open files without close-on-exec too; those must stay behind.
    fs::path folder = fresh_folder("inherit");
    auto lock = platform::FileLock::try_acquire(folder / "slot.lock");
    ASSERT_TRUE(lock.has_value());
    std::ofstream(folder / "plain.txt") << "x";
    int plain = ::open((folder / "plain.txt").c_str(), O_RDONLY);
    ASSERT_GE(plain, 0);
    platform::Process child({"ls", "/proc/self/fd"});
    ASSERT_TRUE(child.wait_for(10s).has_value());
    ::close(plain);
    EXPECT_EQ(child.output(), "0\n1\n2\n3\n");  // 3 is the folder `ls` itself reads
}

TEST(Process, TalksOverPipes) {
    platform::ProcessOptions options;
    options.pipe_stdin = true;
    options.pipe_stdout = true;
    platform::Process child({"sh", "-c", "while read line; do echo \"got $line\"; echo note >&2; done"},
                            options);
    EXPECT_FALSE(child.read_line(50ms).has_value());
    child.write_stdin("first\nsecond\n");
    EXPECT_EQ(child.read_line(10s), "got first");
    EXPECT_EQ(child.read_line(10s), "got second");
    child.close_stdin();
    auto status = child.wait_for(10s);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(status->success());
    EXPECT_EQ(child.output(), "note\nnote\n");  // stderr still captured apart
    EXPECT_THROW(child.read_line(1s), platform::ProcessError);
    EXPECT_THROW(child.write_stdin("late\n"), platform::ProcessError);
}

TEST(Process, WritingToAChildThatStoppedReadingThrows) {
    platform::ProcessOptions options;
    options.pipe_stdin = true;
    platform::Process child({"true"}, options);
    ASSERT_TRUE(child.wait_for(10s).has_value());
    // Without care this raises SIGPIPE and ends the whole test program.
    EXPECT_THROW(child.write_stdin(std::string(1 << 20, 'x')), platform::ProcessError);
}

#ifdef __linux__
TEST(Process, DiesWithItsParent) {
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    pid_t parent = ::fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        // A short-lived parent that starts a child and leaves without cleaning up.
        ::close(report[0]);
        platform::ProcessOptions options;
        options.die_with_parent = true;
        auto* child = new platform::Process({"sleep", "100"}, options);
        int pid = child->id();
        ssize_t written = ::write(report[1], &pid, sizeof pid);
        ::_exit(written == sizeof pid ? 0 : 1);
    }
    ::close(report[1]);
    int child_pid = 0;
    ASSERT_EQ(::read(report[0], &child_pid, sizeof child_pid), static_cast<ssize_t>(sizeof child_pid));
    ::close(report[0]);
    int wait_status = 0;
    ASSERT_EQ(::waitpid(parent, &wait_status, 0), parent);
    EXPECT_TRUE(group_dies_within(child_pid, 5s)) << "the child outlived its parent";
}
#endif

#endif  // _WIN32
