#include "plugins/jpeg/Jpegplugin.h"

#include "plugins/common/Pluginexports.h"
#include "plugins/common/Signatureset.h"
#include "plugins/jpeg/Jpegparser.h"
#include "plugins/jpeg/Jpegpropertydialog.h"

#include <QApplication>
#include <QWidget>

#include <string>

JpegPlugin::JpegPlugin() : PluginBase(Identity{"glintfetch.jpeg", "JPEG画像", "jpg", JpegParser::windowSize})
{
}

bool JpegPlugin::detect(const unsigned char* data)
{
    return JpegParser::detect(data);
}

bool JpegPlugin::hasProperty()
{
    return true;
}

void JpegPlugin::showProperty(void* parent)
{
    try {
        // Widgets cannot exist without the program's QApplication; a host without one gets no dialog.
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
            return;
        }
        JpegPropertyDialog dialog(static_cast<QWidget*>(parent), readPixels(minimumWidthKey),
                                  readPixels(minimumHeightKey));
        if (dialog.exec() == QDialog::Accepted) {
            writeProperty(minimumWidthKey, std::to_string(dialog.getMinimumWidth()));
            writeProperty(minimumHeightKey, std::to_string(dialog.getMinimumHeight()));
        }
    } catch (...) {
    }
}

std::uint64_t JpegPlugin::measure(ByteCursor& input)
{
    JpegParser parser(inRun ? runWidth : readPixels(minimumWidthKey), inRun ? runHeight : readPixels(minimumHeightKey));
    return parser.measure(input);
}

void JpegPlugin::hostChanged(bool running)
{
    inRun = running;
    if (running) {
        runWidth = readPixels(minimumWidthKey);
        runHeight = readPixels(minimumHeightKey);
    }
}

const SignatureSet* JpegPlugin::signatures()
{
    return &JpegParser::signatures();
}

std::uint32_t JpegPlugin::readPixels(const char* key) const
{
    std::string text = readProperty(key);
    if (text.empty() || text.size() > 5) {
        return 0;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value > JpegPropertyDialog::largestPixels ? 0 : value;
}

GLINTFETCH_EXPORT_PLUGIN(JpegPlugin)
