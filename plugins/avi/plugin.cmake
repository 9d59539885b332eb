gf_add_plugin(avi)
