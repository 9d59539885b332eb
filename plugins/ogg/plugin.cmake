gf_add_plugin(ogg)
