#include "plugins/jpeg/Jpegpropertydialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* makePixelBox(QWidget* parent, const char* name, std::uint32_t value)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, static_cast<int>(JpegPropertyDialog::largestPixels));
    box->setValue(static_cast<int>(value));
    return box;
}

}

JpegPropertyDialog::JpegPropertyDialog(QWidget* parent, std::uint32_t minimumWidth, std::uint32_t minimumHeight)
    : QDialog(parent),
      widthBox(makePixelBox(this, "minimumWidth", minimumWidth)),
      heightBox(makePixelBox(this, "minimumHeight", minimumHeight))
{
    setWindowTitle(QString::fromUtf8("JPEG画像の設定"));
    setModal(true);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("最小の幅（ピクセル）:"), widthBox);
    form->addRow(QString::fromUtf8("最小の高さ（ピクセル）:"), heightBox);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QString::fromUtf8("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QString::fromUtf8("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QString::fromUtf8("0 は制限なしを表します。"), this));
    layout->addWidget(buttons);
}

std::uint32_t JpegPropertyDialog::getMinimumWidth() const
{
    return static_cast<std::uint32_t>(widthBox->value());
}

std::uint32_t JpegPropertyDialog::getMinimumHeight() const
{
    return static_cast<std::uint32_t>(heightBox->value());
}
