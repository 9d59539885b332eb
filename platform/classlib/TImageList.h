#pragma once

#include "platform/classlib/TComponent.h"

#include <memory>
#include <string>

class QIcon;

// Icons that the system's theme knows; a theme without one falls back to Qt's own.
enum TStockIcon { siFile, siFolder, siFolderOpen, siDrive, siComputer, siDesktop, siHome, siTrash, siNetwork };

// A list of small images that list and tree views show by index (ImageIndex). The views only
// point to it: it may be shared by several views, and it must outlive them or be detached.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    int Count() const;
    int Width() const { return width; }
    int Height() const { return height; }
    void SetSize(int width, int height);

    // Each returns the new image's index.
    int AddStockIcon(TStockIcon icon);
    // The theme's icon of that name (a freedesktop icon name such as "folder" or
    // "drive-harddisk"), or the stock icon when the theme has none.
    int AddThemeIcon(const std::string& name, TStockIcon fallback);
    // The icon that the desktop shows for the file or folder at path.
    int AddFileIcon(const std::string& path);
    // An image read from a file (PNG, SVG, ...); -1 when it cannot be read.
    int AddImageFile(const std::string& path);
    void Clear();

    // The image at index, or a null icon; for the class library's own code.
    QIcon Icon(int index) const;

private:
    int add(const QIcon& icon);

    struct Impl;
    std::unique_ptr<Impl> impl;
    int width = 16;
    int height = 16;
};
