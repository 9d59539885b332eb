#include "app/Fileoptionokcontroller.h"

#include "engine/IConfigModel.h"
#include "engine/Volumeplan.h"
#include "framework/Exception.h"
#include "framework/IValueObject.h"
#include "framework/IView.h"
#include "platform/classlib/MessageDlg.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/core/Numconv.h"
#include "platform/classlib/core/Sysutils.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

const char* const noBoundHint = "（空欄は制限なし）";

// One size field as typed: empty is no bound, otherwise megabytes of at least one byte.
struct SizeField {
    const char* side;
    std::string text;
    bool bounded = false;
    double megabytes = 0;

    // Why the text is no size; empty when it is one.
    std::string refusal()
    {
        if (text.empty()) {
            return std::string();
        }
        long double read = 0;
        try {
            read = StrToFloat(text);
        } catch (const EConvertError&) {
            return std::string(side) + "の「" + text + "」は数値として読めません。MB 単位の数値を入力してください"
                + noBoundHint + "。";
        }
        megabytes = static_cast<double>(read);
        if (!std::isfinite(megabytes)) {
            return std::string(side) + "の「" + text + "」は大きすぎます。";
        }
        if (megabytes < 0) {
            return std::string(side) + "の「" + text + "」は負の値です。0 以上の数値を入力してください" + noBoundHint
                + "。";
        }
        // The window is counted in whole bytes: less than one would be 0 bytes, which is no lower
        // bound, and for the upper bound a window that nothing fits.
        if (megabytes > 0 && megabytes * 1000000.0 < 1.0) {
            return std::string(side) + "の「" + text
                + "」MB は 1 バイトに満たないため指定できません。0.000001 以上の数値を入力してください。";
        }
        // 0 as the upper bound is no upper bound, as the settings have always read it.
        bounded = megabytes > 0;
        return std::string();
    }
};

}  // namespace

FileOptionOKController::FileOptionOKController(IView* view, IConfigModel* configModel)
    : CloseViewController(view)
    , configModel(configModel)
{
}

FileOptionOKController::~FileOptionOKController() = default;

std::string FileOptionOKController::refusalOf(IValueObject* values)
{
    SizeField from{"下限", values->getValue("extractFileSizeFrom")};
    SizeField to{"上限", values->getValue("extractFileSizeTo")};
    for (SizeField* field : {&from, &to}) {
        const std::string refusal = field->refusal();
        if (!refusal.empty()) {
            return refusal;
        }
    }
    const std::string volumes = values->getValue("volumeChoice");
    std::vector<std::uint32_t> numbers;
    if (!VolumePlan::parseVolumes(volumes, numbers)) {
        return "対象ボリュームの「" + volumes +
               "」は読めません。1,3 のようにボリュームの番号（1 から）をカンマで区切って入力してください（空欄はすべて）。";
    }
    if (from.bounded && to.bounded && from.megabytes > to.megabytes) {
        return "下限の " + from.text + " MB が上限の " + to.text
            + " MB より大きいため、何も抽出されません。下限を上限以下にしてください。";
    }
    return std::string();
}

std::string FileOptionOKController::doExecute(IValueObject* values)
{
    const std::string refusal = refusalOf(values);
    if (!refusal.empty()) {
        MessageDlg(refusal, mtError, TMsgDlgButtons{mbOK}, 0);
        // The OK button has already ended the dialog's modal loop; the user must be able to
        // correct what was typed.
        if (TForm* form = dynamic_cast<TForm*>(view->getComponent())) {
            form->SetModalResult(mrNone);
        }
        return "Failure";
    }
    try {
        configModel->setCreateDirPerFile(values->getValue("isCreateDirPerFile") == "true");
        configModel->setCreateDirPerData(values->getValue("isCreateDirPerData") == "true");
        configModel->setLimitFromText(values->getValue("extractFileSizeFrom"));
        configModel->setLimitToText(values->getValue("extractFileSizeTo"));
        configModel->setKeepDamaged(values->getValue("isKeepDamaged") == "true");
        configModel->setReadFileSystems(values->getValue("isReadFileSystems") == "true");
        configModel->setCarveWholeVolumes(values->getValue("isCarveWholeVolumes") == "true");
        configModel->setVolumeChoice(values->getValue("volumeChoice"));
        configModel->save();
    } catch (const Exception& e) {
        // The user must not leave believing the settings were stored: they live in memory only
        // until config.xml is read again.
        MessageDlg(e.getMessage(), mtError, TMsgDlgButtons{mbOK}, 0);
    }
    return CloseViewController::doExecute(values);
}
