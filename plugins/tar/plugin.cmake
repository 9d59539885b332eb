gf_add_plugin(tar)
