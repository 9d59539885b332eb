gf_add_plugin(gif)
