gf_add_plugin(webp)
