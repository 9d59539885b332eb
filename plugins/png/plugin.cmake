gf_add_plugin(png)
