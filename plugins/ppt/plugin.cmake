gf_add_plugin(ppt)
