#include "framework/Formview.h"

#include "framework/Tbaseform.h"

FormView::FormView(TBaseForm* form)
    : form(form)
{
    form->setView(this);
}

FormView::~FormView() = default;

void FormView::show()
{
    form->Show();
}

void FormView::close()
{
    form->Close();
}

std::string FormView::getTitle()
{
    return form->Caption();
}

void FormView::setTitle(std::string title)
{
    form->SetCaption(title);
}

void FormView::getValues(IValueObject*)
{
}

void FormView::refresh(IValueObject*)
{
}

TComponent* FormView::getComponent()
{
    return form;
}
