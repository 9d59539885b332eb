gf_add_plugin(ole)
