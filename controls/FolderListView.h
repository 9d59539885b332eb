#pragma once

#include "platform/classlib/Events.h"
#include "platform/classlib/TListView.h"

#include <map>
#include <string>

class TListItem;

// A list of shell items given by path, each shown by its display name and small icon, with its
// whole path as the row's first sub-item. Each row
// owns the ShellItem in its Data and releases it when the row is deleted, however that happens.
// Files dropped from other programs become rows; a dropped folder adds the regular files below it,
// at any depth, hidden ones left out, never the folder itself. No path is listed twice (the key is
// the path text as given).
class TFolderListView : public TListView {
public:
    explicit TFolderListView(TComponent* owner);
    ~TFolderListView() override;

    void WMDropFiles(TWMDropFiles& message) override;
    // A row for the item at path, unless that path is listed already.
    virtual void AddItem(const std::string& path);
    virtual void ShowSelectedProperties();

    // Told after every drop; DroppedCount is then the number of rows the drop added.
    TNotifyEvent OnFilesDropped;
    int DroppedCount() const { return droppedCount; }

    // A row with that caption and the object as its Data. The object stays the caller's: the row
    // holds no shell item, and nothing is released with it.
    void AddItem(const std::string& caption, TObject* object) override;
    void Clear() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Delete(TListItem* item) override;

private:
    // The path under which a row is filed, or end().
    std::map<std::string, TListItem*>::iterator findEntry(TListItem* item);

    std::map<std::string, TListItem*> FItemsByPath;
    int droppedCount = 0;
};
