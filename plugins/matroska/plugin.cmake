gf_add_plugin(matroska)
