#pragma once

#include <cstdint>
#include <string>

// A bag of string keys, each with an ordered list of string values. It carries a view's input to
// a controller and a model's notification to its observers. Only the factory that made one deletes
// it, so there is no virtual destructor here.
class IValueObject {
public:
    virtual std::string getValue(std::string key) = 0;
    virtual void setValue(std::string key, std::string value) = 0;
    virtual std::string getValue(std::string key, std::uint32_t index) = 0;
    virtual void addValue(std::string key, std::string value) = 0;
    virtual std::uint32_t getValueCount(std::string key) = 0;

protected:
    ~IValueObject() = default;
};
