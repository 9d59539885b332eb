gf_add_plugin(flv)
