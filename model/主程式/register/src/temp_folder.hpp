#pragma once

#include <string>

namespace receipt_register {

// A new folder of its own, removed with everything in it when the object goes.
class Temp_Folder {
public:
    // Under `parent` (ending in "/"), named `prefix` and a random part.
    Temp_Folder(const std::string& parent, const std::string& prefix);
    Temp_Folder(const Temp_Folder&) = delete;
    Temp_Folder& operator=(const Temp_Folder&) = delete;
    ~Temp_Folder();

    // Ends in "/".
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace receipt_register
