#include "platform/classlib/TImageList.h"

#include "platform/classlib/Qtsupport.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QStyle>

#include <vector>

struct TImageList::Impl {
    std::vector<QIcon> icons;
};

namespace {

QIcon stockIcon(TStockIcon icon)
{
    classlib::ensureApplication();
    QFileIconProvider provider;
    switch (icon) {
    case siFile:
        return provider.icon(QAbstractFileIconProvider::File);
    case siFolder:
        return provider.icon(QAbstractFileIconProvider::Folder);
    case siFolderOpen:
        return QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
    case siDrive:
        return provider.icon(QAbstractFileIconProvider::Drive);
    case siComputer:
        return provider.icon(QAbstractFileIconProvider::Computer);
    case siDesktop:
        return provider.icon(QAbstractFileIconProvider::Desktop);
    case siHome:
        return QApplication::style()->standardIcon(QStyle::SP_DirHomeIcon);
    case siTrash:
        return provider.icon(QAbstractFileIconProvider::Trashcan);
    case siNetwork:
        return provider.icon(QAbstractFileIconProvider::Network);
    }
    return QIcon();
}

}  // namespace

TImageList::TImageList(TComponent* owner) : TComponent(owner), impl(new Impl) {}

TImageList::~TImageList() = default;

int TImageList::Count() const
{
    return static_cast<int>(impl->icons.size());
}

void TImageList::SetSize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
}

int TImageList::AddStockIcon(TStockIcon icon)
{
    return add(stockIcon(icon));
}

int TImageList::AddThemeIcon(const std::string& name, TStockIcon fallback)
{
    classlib::ensureApplication();
    QIcon icon = QIcon::fromTheme(classlib::toQ(name));
    return add(icon.isNull() ? stockIcon(fallback) : icon);
}

int TImageList::AddFileIcon(const std::string& path)
{
    classlib::ensureApplication();
    QFileIconProvider provider;
    return add(provider.icon(QFileInfo(classlib::toQ(path))));
}

int TImageList::AddImageFile(const std::string& path)
{
    classlib::ensureApplication();
    QPixmap pixmap;
    if (!pixmap.load(classlib::toQ(path))) {
        return -1;
    }
    return add(QIcon(pixmap));
}

void TImageList::Clear()
{
    impl->icons.clear();
}

QIcon TImageList::Icon(int index) const
{
    if (index < 0 || index >= Count()) {
        return QIcon();
    }
    return impl->icons[static_cast<std::size_t>(index)];
}

int TImageList::add(const QIcon& icon)
{
    impl->icons.push_back(icon);
    return Count() - 1;
}
