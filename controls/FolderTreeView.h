#pragma once

#include "platform/classlib/TTreeView.h"

#include <cstdint>
#include <string>

class ShellItem;
class TTreeNode;

// The shell namespace as a tree, from the desktop down, read a level at a time: a node whose
// children have not been read yet and which may have some holds one placeholder child (caption
// "", no Data), which gives it an expansion button; its first expansion reads the children in its
// place. Each node owns the ShellItem in its Data.
//
// Shown are the folders of the file system and the virtual folders above them; a non-empty
// FileNameFilter (a regular expression) lets in further items whose path it matches.
class TFolderTreeView : public TTreeView {
public:
    explicit TFolderTreeView(TComponent* owner);
    ~TFolderTreeView() override;

    std::string GetFileNameFilter() const;
    void SetFileNameFilter(const std::string& filter);

    // A root for the desktop at the end of the roots, expanded at once.
    void AddDesktopNode();
    // Appends the shown children of the node's item under it. Raises EOleError when they cannot
    // be read; then nothing has been added.
    void InsertChildlen(TTreeNode* node);
    bool IsAddableShellItem(ShellItem* item);
    bool IsHaveSubNodes(ShellItem* item);

protected:
    void CreateWnd() override;
    // Reads the children on the first expansion. A folder that cannot be read does not expand and
    // stays unread, so that a later expansion tries again.
    bool CanExpand(TTreeNode* node) override;
    void Delete(TTreeNode* node) override;

private:
    std::string FFileNameFilter;
};

// The order of the shell for the nodes' items; reversed when data is not 0.
int CompareShellNodes(TTreeNode* node1, TTreeNode* node2, std::intptr_t data);
