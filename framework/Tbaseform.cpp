#include "framework/Tbaseform.h"

#include "framework/Exception.h"

TBaseForm::TBaseForm(TComponent* owner)
    : TForm(owner)
{
}

TBaseForm::TBaseForm(HWND parentWindow)
    : TForm(parentWindow)
{
}

TBaseForm::~TBaseForm()
{
    view = nullptr;
    // A bare delete (the factory's) must mark the form as going away before its controls are
    // destroyed, as Free and an owner do: events raised meanwhile then find no form to serve.
    if (!Destroying()) {
        TBaseForm::BeforeDestruction();
    }
}

void TBaseForm::BeforeDestruction()
{
    // Owners and Free call this before any destructor runs, so the controls' events raised while
    // the form's children go away already find no view.
    view = nullptr;
    TForm::BeforeDestruction();
}

IView* TBaseForm::getView()
{
    if (view == nullptr) {
        throw IllegalStatusException("このフォームは削除されているフォームです。", "TBaseForm::getView");
    }
    return view;
}

void TBaseForm::setView(IView* newView)
{
    view = newView;
}
