#include "platform/classlib/core/Sysutils.h"

#include <utility>

namespace Sysutils {

Exception::Exception(std::string message) : Message(std::move(message)) {}
Exception::~Exception() = default;

}  // namespace Sysutils

EConvertError::~EConvertError() = default;
EOleError::~EOleError() = default;

EOleSysError::EOleSysError(std::string message, int errorCode)
    : EOleError(std::move(message)), ErrorCode(errorCode) {}
EOleSysError::~EOleSysError() = default;
