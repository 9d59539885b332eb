#include "plugins/webp/Webpplugin.h"

#include "plugins/common/Pluginexports.h"

WebpPlugin::WebpPlugin() : FormatPlugin("glintfetch.webp", "WebP 画像", "webp")
{
}

GLINTFETCH_EXPORT_PLUGIN(WebpPlugin)
