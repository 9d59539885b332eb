#pragma once

#include <string>

// The framework's exception family. Every failure that the program's own code detects is one
// of these. The root derives from nothing on purpose: a handler of Exception must never take an
// exception of the class library, of the standard library or of the XML library by mistake, and
// those never take one of ours. Each layer turns the failures of what it calls into members of
// this family at its boundary.
//
// message is the Japanese text shown to the user; origin names "Class::operation" where the
// failure was detected and travels with the exception for diagnosis only.
class Exception {
public:
    Exception(std::string message, std::string origin);
    Exception(const Exception&) = default;
    Exception& operator=(const Exception&) = default;
    virtual ~Exception();

    std::string getMessage() const;

private:
    std::string message;
    std::string origin;
};

#define GLINTFETCH_DECLARE_EXCEPTION(Name, Base)                  \
    class Name : public Base {                                    \
    public:                                                       \
        Name(std::string message, std::string origin);            \
        ~Name() override;                                         \
    };

GLINTFETCH_DECLARE_EXCEPTION(IOException, Exception)
GLINTFETCH_DECLARE_EXCEPTION(OutOfMemoryException, Exception)
GLINTFETCH_DECLARE_EXCEPTION(RuntimeException, Exception)
GLINTFETCH_DECLARE_EXCEPTION(IndexOutOfBoundsException, RuntimeException)
GLINTFETCH_DECLARE_EXCEPTION(ThreadException, Exception)
GLINTFETCH_DECLARE_EXCEPTION(FactoryException, Exception)
GLINTFETCH_DECLARE_EXCEPTION(XMLException, Exception)
GLINTFETCH_DECLARE_EXCEPTION(IllegalStatusException, Exception)

#undef GLINTFETCH_DECLARE_EXCEPTION
