gf_add_plugin(xz LINKS lzma)
