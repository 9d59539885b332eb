gf_add_plugin(jpeg2000)
