#pragma once

#include <string>

class TListColumns;

// A column of a report-style list view. Column 0 shows the rows' captions, column n the sub-item
// n - 1.
class TListColumn {
public:
    std::string Caption() const { return caption; }
    void SetCaption(const std::string& text);
    int Width() const { return width; }
    void SetWidth(int pixels);
    int Index() const;

private:
    friend class TListColumns;
    explicit TListColumn(TListColumns* owner) : owner(owner) {}

    TListColumns* owner;
    std::string caption;
    int width = 50;
};
