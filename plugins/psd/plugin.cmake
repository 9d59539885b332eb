gf_add_plugin(psd)
