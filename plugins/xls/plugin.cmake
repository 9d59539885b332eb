gf_add_plugin(xls)
