#pragma once

#include <QDialog>

#include <cstdint>

class QSpinBox;

// The JPEG plug-in's own dialog: the smallest width and height of an image to extract.
// Its controls carry object names ("minimumWidth", "minimumHeight", "ok", "cancel") so that
// tests can drive it.
class JpegPropertyDialog final : public QDialog {
public:
    // JPEG stores its dimensions in 16 bits.
    static constexpr std::uint32_t largestPixels = 65535;

    JpegPropertyDialog(QWidget* parent, std::uint32_t minimumWidth, std::uint32_t minimumHeight);

    std::uint32_t getMinimumWidth() const;
    std::uint32_t getMinimumHeight() const;

private:
    QSpinBox* widthBox;
    QSpinBox* heightBox;
};
