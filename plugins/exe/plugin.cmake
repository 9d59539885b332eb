gf_add_plugin(exe)
