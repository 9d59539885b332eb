#include "app/Fileoptionview.h"

#include "app/Eventcontroller.h"
#include "app/Tfileoptionform.h"
#include "engine/IConfigModel.h"
#include "framework/IController.h"
#include "framework/IValueObject.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TCheckBox.h"
#include "platform/classlib/TEdit.h"

namespace {

// The wiring rule of every view: only an event controller has a handler to install.
EventController* asEventController(IController* controller)
{
    return dynamic_cast<EventController*>(controller);
}

}  // namespace

FileOptionView::FileOptionView(TFileOptionForm* form)
    : FormView(form)
    , fileOptionForm(form)
{
}

FileOptionView::~FileOptionView() = default;

void FileOptionView::show()
{
    fileOptionForm->ShowModal();
}

void FileOptionView::getValues(IValueObject* values)
{
    values->setValue("isCreateDirPerFile", fileOptionForm->PerFile->Checked() ? "true" : "false");
    values->setValue("isCreateDirPerData", fileOptionForm->PerFormat->Checked() ? "true" : "false");
    values->setValue("extractFileSizeFrom", fileOptionForm->ExtSizeFrom->Text());
    values->setValue("extractFileSizeTo", fileOptionForm->ExtSizeTo->Text());
    values->setValue("isKeepDamaged", fileOptionForm->KeepDamaged->Checked() ? "true" : "false");
    values->setValue("isReadFileSystems", fileOptionForm->ReadFileSystems->Checked() ? "true" : "false");
    values->setValue("isCarveWholeVolumes", fileOptionForm->CarveWholeVolumes->Checked() ? "true" : "false");
    values->setValue("volumeChoice", fileOptionForm->Volumes->Text());
}

void FileOptionView::setOKController(IController* controller)
{
    if (EventController* eventController = asEventController(controller)) {
        fileOptionForm->OKBtn->OnClick = TNotifyEvent(eventController, &EventController::onEvent);
    }
}

void FileOptionView::setCancelController(IController* controller)
{
    if (EventController* eventController = asEventController(controller)) {
        fileOptionForm->CancelBtn->OnClick = TNotifyEvent(eventController, &EventController::onEvent);
    }
}

void FileOptionView::update(IObservable* source, IValueObject*)
{
    IConfigModel* model = dynamic_cast<IConfigModel*>(source);
    if (model == nullptr) {
        return;
    }
    fileOptionForm->PerFile->SetChecked(model->isCreateDirPerFile());
    fileOptionForm->PerFormat->SetChecked(model->isCreateDirPerData());
    fileOptionForm->ExtSizeFrom->SetText(model->getLimitFromText());
    fileOptionForm->ExtSizeTo->SetText(model->getLimitToText());
    fileOptionForm->KeepDamaged->SetChecked(model->isKeepDamaged());
    fileOptionForm->ReadFileSystems->SetChecked(model->isReadFileSystems());
    fileOptionForm->CarveWholeVolumes->SetChecked(model->isCarveWholeVolumes());
    fileOptionForm->Volumes->SetText(model->getVolumeChoice());
}
