gf_add_plugin(rar LINKS z)
