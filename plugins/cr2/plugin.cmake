gf_add_plugin(cr2)
