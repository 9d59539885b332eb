gf_add_plugin(mpg)
