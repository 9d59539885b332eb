#include "platform/classlib/TStrings.h"

TStrings::~TStrings() = default;

int TStrings::Add(const std::string& text)
{
    int index = Count();
    Insert(index, text);
    return index;
}

void TStrings::AddStrings(const TStrings& other)
{
    int count = other.Count();
    for (int i = 0; i < count; ++i) {
        Add(other.Get(i));
    }
}

void TStrings::Assign(const TStrings& other)
{
    if (&other == this) {
        return;
    }
    BeginUpdate();
    Clear();
    AddStrings(other);
    EndUpdate();
}

int TStrings::IndexOf(const std::string& text) const
{
    int count = Count();
    for (int i = 0; i < count; ++i) {
        if (Get(i) == text) {
            return i;
        }
    }
    return -1;
}

std::string TStrings::Text() const
{
    std::string text;
    int count = Count();
    for (int i = 0; i < count; ++i) {
        text += Get(i);
        text += '\n';
    }
    return text;
}

void TStrings::SetText(const std::string& text)
{
    BeginUpdate();
    Clear();
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        Add(line);
        start = end + 1;
    }
    EndUpdate();
}

void TStrings::BeginUpdate()
{
    if (updateCount++ == 0) {
        SetUpdateState(true);
    }
}

void TStrings::EndUpdate()
{
    if (updateCount > 0 && --updateCount == 0) {
        SetUpdateState(false);
    }
}

void TStrings::SetUpdateState(bool) {}
