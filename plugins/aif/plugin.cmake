gf_add_plugin(aif)
