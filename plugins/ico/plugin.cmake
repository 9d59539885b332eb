gf_add_plugin(ico)
