gf_add_plugin(elf)
