gf_add_plugin(rw2)
