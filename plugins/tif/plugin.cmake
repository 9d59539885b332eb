gf_add_plugin(tif)
