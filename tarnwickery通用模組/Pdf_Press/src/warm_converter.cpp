#include "warm_converter.hpp"

#include "platform/process.hpp"

namespace pdf_press::detail {

std::unique_ptr<ConverterProcess> WarmConverter::launch(const std::string& failure) {
    std::string folder = companion_folder();
    std::string program = folder + "pdf-press-converter";
#ifdef _WIN32
    program += ".exe";
#endif
    if (folder.empty() || !platform::find_program(program)) {
        unavailable_reason = "there is no pdf-press-converter in " + (folder.empty() ? "the program folder" : folder);
        return nullptr;
    }
    return std::make_unique<ConverterProcess>(program, profiles_folder(failure), sample_);
}

bool WarmConverter::start(const std::string& sample) {
    sample_ = sample;
    if (current_ && current_->is_running()) {
        return true;
    }
    current_ = launch("cannot start the PDF converter: ");
    return current_ != nullptr;
}

std::optional<int> WarmConverter::id() const {
    return current_ && !current_->is_stopped() ? std::optional<int>(current_->id()) : std::nullopt;
}

std::optional<int> WarmConverter::replacement_id() const {
    return replacement_ && !replacement_->is_stopped() ? std::optional<int>(replacement_->id()) : std::nullopt;
}

void WarmConverter::stop() noexcept {
    // All are told first, so they leave side by side.
    for (auto* converter : {&current_, &replacement_, &retiring_}) {
        if (*converter) (*converter)->retire();
    }
    current_.reset();
    replacement_.reset();
    retiring_.reset();
}

void WarmConverter::retire_current() noexcept {
    if (!current_) {
        return;
    }
    // The one retired before has had a whole call to leave.
    retiring_.reset();
    current_->retire();
    retiring_ = std::move(current_);
}

void WarmConverter::settle(std::chrono::milliseconds time_limit, int lifetime) {
    if (retiring_ && !retiring_->is_running()) {
        retiring_.reset();
    }
    if (!replacement_) {
        return;
    }
    if (replacement_->check_ready(time_limit) && (!current_ || current_->conversions() >= lifetime)) {
        retire_current();
        current_ = std::move(replacement_);
    } else if (replacement_->is_stopped()) {
        replacement_.reset();  // it could not start; another is tried after the next call
    }
}

bool WarmConverter::convert(const Job& job, std::chrono::milliseconds time_limit, int lifetime) {
    const ConverterProcess::Clock::time_point deadline = ConverterProcess::Clock::now() + time_limit;
    settle(time_limit, lifetime);
    // A converter that ended since the last call is replaced without a fuss; one killed
    // a moment ago may not look ended yet, which its not taking the request shows. A
    // converter that ends once it has taken the request fails the call: the document
    // may be what made it crash.
    for (int attempt = 1;; ++attempt) {
        if (current_ && !current_->is_running()) {
            current_.reset();
        }
        if (!current_) {
            current_ = replacement_ ? std::move(replacement_) : launch(job.failure);
            if (!current_) {
                return false;
            }
        }
        // Sent before the converter is ready: one still starting then skips its warm-up,
        // which this request pays for anyway.
        const bool sent = current_->send(job);
        if (!current_->await_ready(job, deadline, time_limit)) {
            unavailable_reason = current_->unavailable_reason;
            stop();
            return false;
        }
        if (sent && current_->await_taken(job, deadline, time_limit)) {
            break;
        }
        if (attempt == 2) {
            current_->fail_as_ended(job.failure + "the converter ended before it took the request");
        }
        current_.reset();
    }
    // Started after the call that ends a converter's lifetime, the replacement has the
    // time between calls, and the calls the old one serves meanwhile, to get ready.
    struct ReplaceWhenDue {
        WarmConverter& self;
        const std::string& failure;
        int lifetime;
        ~ReplaceWhenDue() {
            if (self.replacement_ || !self.current_ || self.current_->conversions() < lifetime) return;
            try {
                self.replacement_ = self.launch(failure);
            } catch (const std::exception&) {
                // The old converter serves on, and the next call tries again.
            }
        }
    } replace_when_due{*this, job.failure, lifetime};
    current_->await_result(job, deadline, time_limit);
    return true;
}

}  // namespace pdf_press::detail
