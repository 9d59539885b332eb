gf_add_plugin(orf)
