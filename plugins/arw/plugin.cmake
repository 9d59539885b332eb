gf_add_plugin(arw)
