gf_add_plugin(pdf)
