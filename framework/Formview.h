#pragma once

#include "framework/IView.h"

#include <string>

class IValueObject;
class TBaseForm;
class TComponent;

// IView over a form. IView is a virtual base, so that a view class that also implements the view
// interfaces of its window (each extending IView virtually) holds one IView. The form is not
// owned: the factory deletes the view first and the form after it.
class FormView : public virtual IView {
public:
    explicit FormView(TBaseForm* form);
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;
    virtual ~FormView();

    void show() override;
    void close() override;
    std::string getTitle() override;
    void setTitle(std::string title) override;
    void getValues(IValueObject* values) override;
    void refresh(IValueObject* values) override;
    TComponent* getComponent() override;

protected:
    TBaseForm* form;
};
