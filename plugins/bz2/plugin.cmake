gf_add_plugin(bz2 LINKS bz2)
