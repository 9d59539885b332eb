gf_add_plugin(mid)
