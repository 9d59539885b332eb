#pragma once

#include "framework/IView.h"

#include <string>

// An open-file dialog behind the view interface: a controller sets the options, shows it and reads
// the chosen paths back as strings without touching the class library.
class IFileSelectView : public IView {
public:
    virtual std::string getPath() = 0;
    virtual void setPath(std::string path) = 0;
    virtual void setFilter(std::string filter) = 0;
    virtual bool isMultiSelect() = 0;
    virtual void setMultiSelect(bool multiSelect) = 0;
    // Whether files and folders whose names start with "." are listed; they are unless told.
    virtual void setHiddenShown(bool shown) = 0;
    // Whether device files (disks, SD cards) are listed; they are not unless told.
    virtual void setDevicesShown(bool shown) = 0;
    virtual std::string getFileName() = 0;
    virtual std::string getFileName(unsigned index) = 0;
    virtual unsigned getFileCount() = 0;

protected:
    ~IFileSelectView() = default;
};
