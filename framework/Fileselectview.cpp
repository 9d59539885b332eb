#include "framework/Fileselectview.h"

#include "framework/IResource.h"
#include "framework/Tarnwickfactory.h"
#include "platform/classlib/TOpenDialog.h"
#include "platform/classlib/TStrings.h"

#include <memory>

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
    // files listed unless told otherwise.
    TOpenOptions options;
    options << ofHideReadOnly;
    if (hiddenShown) {
        options << ofForceShowHidden;
    }
    if (multiSelect) {
        options << ofAllowMultiSelect;
    }
    if (devicesShown) {
        options << ofShowDevices;
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
    std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    IResource* entry = factory->createResource();
    entry->setPath(newPath);
    if (entry->isDirectory()) {
        dialog->SetInitialDir(entry->getPath());
    } else if (entry->isFile()) {
        dialog->SetInitialDir(entry->getParent());
        dialog->SetFileName(entry->getName());
    }
    // A path that names nothing leaves the dialog where it would have opened anyway.
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

void FileSelectView::setHiddenShown(bool shown)
{
    hiddenShown = shown;
}

void FileSelectView::setDevicesShown(bool shown)
{
    devicesShown = shown;
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
