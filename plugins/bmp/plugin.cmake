gf_add_plugin(bmp)
