#include "plugins/sqlite/Sqliteplugin.h"

#include "plugins/common/Pluginexports.h"

SqlitePlugin::SqlitePlugin() : FormatPlugin("glintfetch.sqlite", "SQLite データベース", "sqlite")
{
}

GLINTFETCH_EXPORT_PLUGIN(SqlitePlugin)
