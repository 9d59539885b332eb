# The dialog is made of the class library's controls; their code is linked in and kept to this
# library (--exclude-libs), so that it never binds to the program's own copy.
gf_add_plugin(userdefined LINKS classlib)
target_link_options(userdefined_plugin PRIVATE -Wl,--exclude-libs,ALL)
