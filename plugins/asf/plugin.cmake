gf_add_plugin(asf)
