gf_add_plugin(doc)
