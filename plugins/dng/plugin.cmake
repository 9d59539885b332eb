gf_add_plugin(dng)
