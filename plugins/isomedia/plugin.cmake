gf_add_plugin(isomedia)
