#pragma once

#include "platform/classlib/TObject.h"

#include <string>

// An ordered list of strings. The list behind a memo's lines or an open-file dialog's files
// derives from it; TStringList is the plain one.
class TStrings : public TObject {
public:
    ~TStrings() override;

    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& text) = 0;
    virtual void Insert(int index, const std::string& text) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    // Appends; returns the new string's index.
    int Add(const std::string& text);
    void AddStrings(const TStrings& other);
    void Assign(const TStrings& other);
    int IndexOf(const std::string& text) const;
    std::string Strings(int index) const { return Get(index); }
    std::string operator[](int index) const { return Get(index); }

    // The strings joined, each followed by a line feed.
    std::string Text() const;
    // Replaces the list by the lines of text (split at line feeds; a carriage return before a
    // line feed is dropped).
    void SetText(const std::string& text);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount; }

protected:
    TStrings() = default;
    // Told when the first BeginUpdate starts (true) and the last EndUpdate ends (false).
    virtual void SetUpdateState(bool updating);

private:
    int updateCount = 0;
};
