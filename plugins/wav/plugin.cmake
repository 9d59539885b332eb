gf_add_plugin(wav)
