#include "platform/classlib/TControl.h"

#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TFont.h"
#include "platform/classlib/TPopupMenu.h"
#include "platform/classlib/TWinControl.h"

#include <QCursor>
#include <QFont>
#include <QPointer>
#include <QWidget>

namespace {

Qt::CursorShape cursorShape(TCursor cursor)
{
    switch (cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
        return Qt::WaitCursor;
    case crDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    default:
        return Qt::ArrowCursor;
    }
}

}  // namespace

TControl::TControl(TComponent* owner, QWidget* widget)
    : TComponent(owner)
    , widget(widget)
    , font(new TFont)
{
    classlib::setControlOf(widget, this);
    font->OnChange = [this] { applyFont(); };
}

TControl::~TControl()
{
    DestroyComponents();
    if (parent != nullptr) {
        parent->removeControl(this);
        parent = nullptr;
    }
    classlib::setControlOf(widget, nullptr);
    delete widget;
}

void TControl::SetParent(TWinControl* newParent)
{
    if (newParent == parent) {
        return;
    }
    if (parent != nullptr) {
        parent->removeControl(this);
    }
    parent = newParent;
    widget->setParent(parent != nullptr ? parent->ClientWidget() : nullptr);
    if (parent != nullptr) {
        parent->insertControl(this);
        widget->setVisible(visible);
        if (parent->HandleAllocated()) {
            if (TWinControl* self = dynamic_cast<TWinControl*>(this)) {
                self->HandleNeeded();
            }
        }
    }
}

bool TControl::Visible() const
{
    return visible;
}

void TControl::SetVisible(bool newVisible)
{
    visible = newVisible;
    if (parent != nullptr) {
        widget->setVisible(newVisible);
    }
}

bool TControl::Enabled() const
{
    return widget->isEnabled();
}

void TControl::SetEnabled(bool enabled)
{
    widget->setEnabled(enabled);
}

int TControl::Left() const
{
    return widget->x();
}

int TControl::Top() const
{
    return widget->y();
}

int TControl::Width() const
{
    return widget->width();
}

int TControl::Height() const
{
    return widget->height();
}

void TControl::SetLeft(int left)
{
    SetBounds(left, Top(), Width(), Height());
}

void TControl::SetTop(int top)
{
    SetBounds(Left(), top, Width(), Height());
}

void TControl::SetWidth(int width)
{
    SetBounds(Left(), Top(), width, Height());
}

void TControl::SetHeight(int height)
{
    SetBounds(Left(), Top(), Width(), height);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    widget->setGeometry(left, top, width, height);
}

int TControl::ClientWidth() const
{
    return Width();
}

int TControl::ClientHeight() const
{
    return Height();
}

void TControl::SetClientWidth(int width)
{
    SetWidth(width);
}

void TControl::SetClientHeight(int height)
{
    SetHeight(height);
}

void TControl::SetClientSize(int width, int height)
{
    SetClientWidth(width);
    SetClientHeight(height);
}

std::string TControl::Caption() const
{
    return classlib::fromQ(widget->windowTitle());
}

void TControl::SetCaption(const std::string& caption)
{
    widget->setWindowTitle(classlib::toQ(caption));
}

void TControl::SetCursor(TCursor newCursor)
{
    cursor = newCursor;
    if (newCursor == crDefault) {
        widget->unsetCursor();
    } else {
        widget->setCursor(QCursor(cursorShape(newCursor)));
    }
}

void TControl::SetPopupMenu(TPopupMenu* menu)
{
    popupMenu = menu;
    if (menu == nullptr) {
        widget->setContextMenuPolicy(Qt::DefaultContextMenu);
        return;
    }
    if (widget->contextMenuPolicy() != Qt::CustomContextMenu) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(widget, &QWidget::customContextMenuRequested, widget, [this](const QPoint& position) {
            classlib::dispatch(this, [this, position] {
                if (popupMenu != nullptr) {
                    popupMenu->SetPopupComponent(this);
                    QPoint global = widget->mapToGlobal(position);
                    popupMenu->Popup(global.x(), global.y());
                }
            });
        });
    }
}

void TControl::Click()
{
    OnClick(this);
}

void TControl::DblClick()
{
    OnDblClick(this);
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == popupMenu) {
        SetPopupMenu(nullptr);
    }
}

void TControl::applyFont()
{
    QFont qfont = widget->font();
    if (!font->Name().empty()) {
        qfont.setFamily(classlib::toQ(font->Name()));
    }
    if (font->Height() != 0) {
        qfont.setPixelSize(font->Height() < 0 ? -font->Height() : font->Height());
    }
    widget->setFont(qfont);
}
