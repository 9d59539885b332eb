#pragma once

#include <string>

// The class library's own exception family. It is apart from the framework's (framework/Exception.h)
// and from the standard library's: the framework meets these only where it calls the class
// library, and turns them into its own there.
namespace Sysutils {

class Exception {
public:
    explicit Exception(std::string message);
    virtual ~Exception();

    // The text for the user, as the class library's exceptions carry it.
    std::string Message;
};

}  // namespace Sysutils

// A text that is not a number, or a number that does not fit.
class EConvertError : public Sysutils::Exception {
public:
    using Sysutils::Exception::Exception;
    ~EConvertError() override;
};

// A failure of the shell namespace.
class EOleError : public Sysutils::Exception {
public:
    using Sysutils::Exception::Exception;
    ~EOleError() override;
};

// A failure of the shell namespace that carries the system's error code.
class EOleSysError : public EOleError {
public:
    EOleSysError(std::string message, int errorCode);
    ~EOleSysError() override;

    int ErrorCode;
};
