#include "framework/Exception.h"

#include <utility>

Exception::Exception(std::string message, std::string origin)
    : message(std::move(message)), origin(std::move(origin)) {}

Exception::~Exception() = default;

std::string Exception::getMessage() const { return message; }

#define GLINTFETCH_DEFINE_EXCEPTION(Name, Base)                                               \
    Name::Name(std::string message, std::string origin)                                       \
        : Base(std::move(message), std::move(origin)) {}                                      \
    Name::~Name() = default;

GLINTFETCH_DEFINE_EXCEPTION(IOException, Exception)
GLINTFETCH_DEFINE_EXCEPTION(OutOfMemoryException, Exception)
GLINTFETCH_DEFINE_EXCEPTION(RuntimeException, Exception)
GLINTFETCH_DEFINE_EXCEPTION(IndexOutOfBoundsException, RuntimeException)
GLINTFETCH_DEFINE_EXCEPTION(ThreadException, Exception)
GLINTFETCH_DEFINE_EXCEPTION(FactoryException, Exception)
GLINTFETCH_DEFINE_EXCEPTION(XMLException, Exception)
GLINTFETCH_DEFINE_EXCEPTION(IllegalStatusException, Exception)
