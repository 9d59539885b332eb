gf_add_plugin(mp3)
