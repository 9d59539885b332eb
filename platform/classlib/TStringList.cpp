#include "platform/classlib/TStringList.h"

TStringList::~TStringList() = default;

int TStringList::Count() const
{
    return static_cast<int>(items.size());
}

std::string TStringList::Get(int index) const
{
    if (index < 0 || index >= Count()) {
        return "";
    }
    return items[static_cast<std::size_t>(index)];
}

void TStringList::Put(int index, const std::string& text)
{
    if (index >= 0 && index < Count()) {
        items[static_cast<std::size_t>(index)] = text;
    }
}

void TStringList::Insert(int index, const std::string& text)
{
    if (index < 0 || index > Count()) {
        index = Count();
    }
    items.insert(items.begin() + index, text);
}

void TStringList::Delete(int index)
{
    if (index >= 0 && index < Count()) {
        items.erase(items.begin() + index);
    }
}

void TStringList::Clear()
{
    items.clear();
}
