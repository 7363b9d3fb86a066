#pragma once

#include <string>

namespace fixture {

// While it lives, the register in `folder` (which must exist) refuses to mark any
// receipt issued, as a full disk or a register busy past its time-out would; the
// refusal is a trigger, so that the register's own connection meets it.
class Refused_Marking {
public:
    explicit Refused_Marking(const std::string& folder);
    ~Refused_Marking();
    Refused_Marking(const Refused_Marking&) = delete;
    Refused_Marking& operator=(const Refused_Marking&) = delete;

private:
    std::string register_file_;
};

}  // namespace fixture
