gf_add_plugin(sqlite)
