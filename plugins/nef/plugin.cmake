gf_add_plugin(nef)
