#pragma once

#include "framework/IFileSelectView.h"

#include <string>

class TOpenDialog;

// The class library's open-file dialog behind IFileSelectView. The dialog is a component of the
// owner view's form as well as this view's: the owner's component must outlive the view. The
// factory that made the view destroys it through this class, hence final and no virtual
// destructor.
class FileSelectView final : public IFileSelectView {
public:
    explicit FileSelectView(IView* owner);
    FileSelectView(const FileSelectView&) = delete;
    FileSelectView& operator=(const FileSelectView&) = delete;
    ~FileSelectView();

    void show() override;
    void close() override;
    std::string getTitle() override;
    void setTitle(std::string title) override;
    void getValues(IValueObject* values) override;
    void refresh(IValueObject* values) override;
    TComponent* getComponent() override;

    std::string getPath() override;
    void setPath(std::string path) override;
    void setFilter(std::string filter) override;
    bool isMultiSelect() override;
    void setMultiSelect(bool multiSelect) override;
    void setHiddenShown(bool shown) override;
    void setDevicesShown(bool shown) override;
    std::string getFileName() override;
    std::string getFileName(unsigned index) override;
    unsigned getFileCount() override;

private:
    IView* owner;
    TOpenDialog* dialog;
    std::string path;
    bool multiSelect;
    bool hiddenShown = true;
    bool devicesShown = false;
};
