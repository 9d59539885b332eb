gf_add_plugin(wma)
