#pragma once

#include "platform/classlib/TTreeView.h"

#include <cstdint>
#include <string>

class ShellItem;
class TMenuItem;
class TObject;
class TPopupMenu;
class TTreeNode;

// The shell namespace as a tree, from the desktop down, read a level at a time: a node whose
// children have not been read yet and which may have some holds one placeholder child (caption
// "", no Data), which gives it an expansion button; its first expansion reads the children in its
// place. Each node owns the ShellItem in its Data.
//
// Shown are the folders of the file system and the virtual folders above them; a non-empty
// FileNameFilter (a regular expression) lets in further items whose path it matches.
//
// The file system changes while the tree is shown: a node that is expanded again reads its
// children again, and Refresh (F5, or "最新の情報に更新" in the tree's pop-up menu) reads again
// every node read so far. Folders made meanwhile appear, removed ones go; the selection stays, or
// moves to the nearest folder above it that is still there. "新しいフォルダー" in the pop-up menu
// makes a folder in the selected one and opens its caption for renaming.
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

    void Refresh();
    // Makes "新しいフォルダー" (or "新しいフォルダー (2)", ...) in the selected folder, selects
    // it and opens its caption for renaming. A failure is told in a message box; then null.
    TTreeNode* NewFolder();
    // Selects the user's home folder among the places below the roots; false when there is none.
    bool SelectHome();

    TPopupMenu* FolderMenu() const { return folderMenu; }

protected:
    void CreateWnd() override;
    // Reads the children on the first expansion. A folder that cannot be read does not expand and
    // stays unread, so that a later expansion tries again.
    bool CanExpand(TTreeNode* node) override;
    void Delete(TTreeNode* node) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    // Only the folder that NewFolder made is renamed in place.
    bool CanEdit(TTreeNode* node) override;
    void Edit(TTreeNode* node, std::string& text) override;

private:
    // Matches the node's children to its folder's children now; raises EOleError when the folder
    // cannot be read.
    void ReadAgain(TTreeNode* node);
    void KeepSelectionOutOf(TTreeNode* leaving, TTreeNode* parent);
    void FolderMenuPopup(TObject* sender);
    void NewFolderClick(TObject* sender);
    void RefreshClick(TObject* sender);

    std::string FFileNameFilter;
    TPopupMenu* folderMenu;
    TMenuItem* newFolderItem;
    TMenuItem* refreshItem;
    TTreeNode* renaming = nullptr;
};

// The order of the shell for the nodes' items; reversed when data is not 0.
int CompareShellNodes(TTreeNode* node1, TTreeNode* node2, std::intptr_t data);
