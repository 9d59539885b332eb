#pragma once

#include "platform/classlib/TComponent.h"
#include "platform/classlib/Types.h"

#include <memory>
#include <string>

class TStrings;
class TStringList;

// The open-file dialog. Execute shows it modally over the window of the owner's form (or of the
// active form) and answers whether the user chose something; Files then holds the chosen full
// paths in the dialog's order and FileName the first of them. Tests answer it without a person
// through TDialogSeam.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;

    // [ofHideReadOnly, ofEnableSizing] after construction.
    TOpenOptions Options() const { return options; }
    void SetOptions(TOpenOptions newOptions) { options = newOptions; }

    std::string InitialDir() const { return initialDir; }
    void SetInitialDir(std::string dir) { initialDir = std::move(dir); }
    std::string FileName() const { return fileName; }
    void SetFileName(std::string name) { fileName = std::move(name); }
    std::string Title() const { return title; }
    void SetTitle(std::string text) { title = std::move(text); }
    // Pairs of description and pattern separated by "|", patterns separated by ";":
    // "Pictures|*.png;*.jpg|All|*".
    std::string Filter() const { return filter; }
    void SetFilter(std::string text) { filter = std::move(text); }
    // 1-based, as the class library counts filters.
    int FilterIndex() const { return filterIndex; }
    void SetFilterIndex(int index) { filterIndex = index; }

    TStrings* Files() const;

    // True when the user chose at least one file; false when the dialog was cancelled, in which
    // case Files and FileName keep what they held before.
    virtual bool Execute();

private:
    TOpenOptions options;
    std::string initialDir;
    std::string fileName;
    std::string title;
    std::string filter;
    int filterIndex = 1;
    std::unique_ptr<TStringList> files;
};
