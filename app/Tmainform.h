#pragma once

#include "framework/Tbaseform.h"

class TButton;
class TFolderListView;
class TFolderTreeView;
class TLabel;
class TMainMenu;
class TMenuItem;
class TObject;
class TPopupMenu;
class TTreeNode;

// The main window: the input list on the left, the output folder tree on the right, the Extract
// button between them, a menu bar and the input list's pop-up menu. The window can be resized and
// maximised; the list and the tree grow with it. The application's first form,
// so closing it ends the run. Every control and menu item is owned by the form, which is how an
// event controller finds the form (and its view) from the control that raised an event.
//
// The menu items that are not members are reached by their place in the menu bar: File (0) holds
// Insert, AddDevice, Delete, a separator and Exit; Option (1) holds FileSpec and DataSpec; Help (2) Version.
class TMainForm : public TBaseForm {
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;

    // Puts the desktop at the top of the output tree.
    void FormCreate(TObject* sender);
    // Lays the panes out again for the new client size.
    void FormResize(TObject* sender);
    // Says under the input list's caption how many inputs the last drop added.
    void FilesDropped(TObject* sender);
    // Shows under the output tree the path of the folder chosen in it.
    void OutputFolderChanged(TObject* sender, TTreeNode* node);

    TLabel* targetLabel;
    TLabel* outputLabel;
    TLabel* outputPathLabel;
    TPopupMenu* popupMenu;
    TMainMenu* mainMenu;
    TButton* extractButton;
    TMenuItem* Option;
    TMenuItem* Help;
    TMenuItem* Version;
    TMenuItem* DataSpec;
    TFolderTreeView* outputList;
    TFolderListView* targetList;

private:
    // The input list and the output tree share the client area's width and take its height.
    void LayOut();
};
