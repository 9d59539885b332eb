#pragma once

#include <string>
#include <system_error>

// Why a call of the system failed, in the words the command line speaks to its user.
class SystemReason {
public:
    static std::string of(std::error_code error);
    // From errno as it stands.
    static std::string ofLastError();
};
