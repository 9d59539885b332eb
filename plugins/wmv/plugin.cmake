gf_add_plugin(wmv)
