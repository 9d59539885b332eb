gf_add_plugin(jpeg LINKS Qt6::Widgets)
