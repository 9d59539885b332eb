gf_add_plugin(flac)
