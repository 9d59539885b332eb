#pragma once

#include "framework/IValueObject.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The one value object. A key that an operation names is added with no values if it is missing,
// reads included; through the interface that cannot be told from a missing key.
class ValueObject : public IValueObject {
public:
    ValueObject();

    std::string getValue(std::string key) override;
    void setValue(std::string key, std::string value) override;
    // IndexOutOfBoundsException when index is not below the key's count.
    std::string getValue(std::string key, std::uint32_t index) override;
    void addValue(std::string key, std::string value) override;
    std::uint32_t getValueCount(std::string key) override;

    virtual ~ValueObject();

private:
    std::map<std::string, std::vector<std::string>> values;
};
