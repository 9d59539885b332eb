gf_add_plugin(7z LINKS z)
