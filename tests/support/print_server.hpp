#pragma once

#include "test_env.hpp"

#include <platform/process.hpp>

#include <chrono>
#include <list>
#include <optional>
#include <string>
#include <vector>

// How a test printer is set up.
struct PrinterSetup {
    std::string description;
    bool is_default = false;
    bool accepting = true;  // false: the printer refuses every job
};

// A job as the test printer's backend received it.
struct ArrivedJob {
    int id = 0;
    std::string user;
    std::string title;
    int copies = 0;
    std::string options;   // the job options as the backend saw them, "name=value ..."
    std::string document;  // path of a copy of the job's document
};

// A CUPS scheduler of the tests' own: its own folders, a free loopback port, and a
// ServerBin whose only backend copies each job into a folder, beside links to the
// system's filters. While it runs, CUPS_SERVER points this process and the programs
// it starts at it, so the program's print operations reach it unchanged, and PRINTER
// and LPDEST are cleared, so the default printer is the server's. Works as root and
// as an ordinary user.
class PrintServer {
public:
    // Starts cupsd with its files under `folder` (created; it must not hold a running
    // server). Throws std::runtime_error naming the package to install when cupsd is
    // missing, or with the scheduler's error log when it does not come up.
    explicit PrintServer(const std::string& folder);
    PrintServer(const PrintServer&) = delete;
    PrintServer& operator=(const PrintServer&) = delete;
    // Stops the scheduler and puts the environment back as it was.
    ~PrintServer();

    // "127.0.0.1:PORT", what CUPS_SERVER holds.
    const std::string& address() const { return address_; }

    // Adds a raw queue named `name` on the copying backend. Throws std::runtime_error
    // with the scheduler's answer when it refuses.
    void add_printer(const std::string& name, const PrinterSetup& setup = {});

    // The jobs that reached `printer` so far, in job order.
    std::vector<ArrivedJob> jobs(const std::string& printer) const;
    // Waits until `count` jobs reached `printer`, at most `limit`; returns what arrived.
    std::vector<ArrivedJob> wait_for_jobs(const std::string& printer, std::size_t count,
                                          std::chrono::seconds limit = std::chrono::seconds(60)) const;

    // The end of the scheduler's error log, for failure messages.
    std::string log_tail() const;

private:
    void write_configuration(int port) const;

    std::string folder_;
    int port_ = 0;
    std::string address_;
    std::list<ScopedEnv> environment_;
    std::optional<platform::Process> cupsd_;
};
