gf_add_plugin(cur)
