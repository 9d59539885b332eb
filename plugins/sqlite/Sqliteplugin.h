#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/sqlite/Sqliteparser.h"

class SqlitePlugin final : public FormatPlugin<SqliteParser> {
public:
    SqlitePlugin();
};
