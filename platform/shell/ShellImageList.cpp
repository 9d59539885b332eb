#include "platform/shell/ShellImageList.h"

#include "platform/classlib/TImageList.h"
#include "platform/shell/ShellTypes.h"

TImageList* ShellImageList::get() {
    static TImageList* const images = [] {
        auto* list = new TImageList(nullptr);
        // In the order of ShellIcon.
        const TStockIcon icons[ShellIconCount] = {siDesktop, siHome, siDrive, siFolder, siFolderOpen, siFile};
        for (TStockIcon icon : icons) {
            list->AddStockIcon(icon);
        }
        return list;
    }();
    return images;
}
