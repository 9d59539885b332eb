#include "plugins/apk/Apkplugin.h"

#include "plugins/common/Pluginexports.h"

ApkPlugin::ApkPlugin() : ChainPlugin("glintfetch.apk", "Android アプリパッケージ", "apk")
{
}

GLINTFETCH_EXPORT_PLUGIN(ApkPlugin)
