#include "framework/Valueobject.h"

#include "framework/Exception.h"

#include <utility>

ValueObject::ValueObject() = default;

ValueObject::~ValueObject() = default;

std::string ValueObject::getValue(std::string key) {
    const std::vector<std::string>& list = values[std::move(key)];
    return list.empty() ? std::string() : list.front();
}

void ValueObject::setValue(std::string key, std::string value) {
    std::vector<std::string>& list = values[std::move(key)];
    if (list.empty()) {
        list.push_back(std::move(value));
    } else {
        list.front() = std::move(value);
    }
}

std::string ValueObject::getValue(std::string key, std::uint32_t index) {
    const std::vector<std::string>& list = values[key];
    if (index >= list.size()) {
        throw IndexOutOfBoundsException(key + " has " + std::to_string(list.size()) + " values. " +
                                            "But specified index is " + std::to_string(index) + ".",
                                        "ValueObject::getValue");
    }
    return list[index];
}

void ValueObject::addValue(std::string key, std::string value) {
    values[std::move(key)].push_back(std::move(value));
}

std::uint32_t ValueObject::getValueCount(std::string key) {
    return static_cast<std::uint32_t>(values[std::move(key)].size());
}
