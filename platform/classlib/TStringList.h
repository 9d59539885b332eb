#pragma once

#include "platform/classlib/TStrings.h"

#include <string>
#include <vector>

// A list of strings in memory. Indexes out of range are ignored by Put and Delete and read as "".
class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    int Count() const override;
    std::string Get(int index) const override;
    void Put(int index, const std::string& text) override;
    void Insert(int index, const std::string& text) override;
    void Delete(int index) override;
    void Clear() override;

private:
    std::vector<std::string> items;
};
