#include "platform/classlib/TListItem.h"

#include "platform/classlib/TListItems.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/TStrings.h"

#include <vector>

// The sub-items: every change shows at once and is reported as a change of the row's text.
class TListItem::SubItemList : public TStrings {
public:
    explicit SubItemList(TListItem* item) : item(item) {}

    int Count() const override { return static_cast<int>(texts.size()); }
    std::string Get(int index) const override
    {
        return (index >= 0 && index < Count()) ? texts[static_cast<std::size_t>(index)] : "";
    }
    void Put(int index, const std::string& text) override
    {
        if (index >= 0 && index < Count()) {
            texts[static_cast<std::size_t>(index)] = text;
            changed();
        }
    }
    void Insert(int index, const std::string& text) override
    {
        if (index < 0 || index > Count()) {
            index = Count();
        }
        texts.insert(texts.begin() + index, text);
        changed();
    }
    void Delete(int index) override
    {
        if (index >= 0 && index < Count()) {
            texts.erase(texts.begin() + index);
            changed();
        }
    }
    void Clear() override
    {
        if (!texts.empty()) {
            texts.clear();
            changed();
        }
    }

private:
    void changed() { item->ListView()->itemChanged(item, ctText); }

    TListItem* item;
    std::vector<std::string> texts;
};

TListItem::TListItem(TListItems* owner) : owner(owner), subItems(new SubItemList(this)) {}

TListItem::~TListItem() = default;

TListView* TListItem::ListView() const
{
    return owner->Owner();
}

void TListItem::SetCaption(const std::string& text)
{
    if (text == caption) {
        return;
    }
    caption = text;
    ListView()->itemChanged(this, ctText);
}

void TListItem::SetImageIndex(int index)
{
    if (index == imageIndex) {
        return;
    }
    imageIndex = index;
    ListView()->itemChanged(this, ctImage);
}

void TListItem::SetChecked(bool value)
{
    if (value == checked) {
        return;
    }
    checked = value;
    ListView()->itemChanged(this, ctState);
}

int TListItem::Index() const
{
    return owner->IndexOf(this);
}

void TListItem::Delete()
{
    owner->Delete(Index());
}
