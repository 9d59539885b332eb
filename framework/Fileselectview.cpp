#include "framework/Fileselectview.h"

#include "platform/classlib/TOpenDialog.h"
#include "platform/classlib/TStrings.h"

FileSelectView::FileSelectView(IView* owner)
    : owner(owner)
    , dialog(new TOpenDialog(owner->getComponent()))
    , path()
    , multiSelect(false)
{
}

FileSelectView::~FileSelectView()
{
    delete dialog;
}

void FileSelectView::show()
{
    // Exactly this set, whatever was set on the dialog before: no read-only check box, hidden
    // files listed.
    TOpenOptions options;
    options << ofHideReadOnly << ofForceShowHidden;
    if (multiSelect) {
        options << ofAllowMultiSelect;
    }
    dialog->SetOptions(options);
    if (!dialog->Execute()) {
        dialog->Files()->Clear();
    }
}

void FileSelectView::close() {}

std::string FileSelectView::getTitle()
{
    return dialog->Title();
}

void FileSelectView::setTitle(std::string title)
{
    dialog->SetTitle(title);
}

void FileSelectView::getValues(IValueObject*) {}

void FileSelectView::refresh(IValueObject*) {}

TComponent* FileSelectView::getComponent()
{
    return dialog;
}

std::string FileSelectView::getPath()
{
    return path;
}

void FileSelectView::setPath(std::string newPath)
{
    path = newPath;
}

void FileSelectView::setFilter(std::string filter)
{
    dialog->SetFilter(filter);
}

bool FileSelectView::isMultiSelect()
{
    return multiSelect;
}

void FileSelectView::setMultiSelect(bool newMultiSelect)
{
    multiSelect = newMultiSelect;
}

std::string FileSelectView::getFileName()
{
    return getFileName(0);
}

std::string FileSelectView::getFileName(unsigned index)
{
    if (index >= getFileCount()) {
        return "";
    }
    return dialog->Files()->Get(static_cast<int>(index));
}

unsigned FileSelectView::getFileCount()
{
    return static_cast<unsigned>(dialog->Files()->Count());
}
