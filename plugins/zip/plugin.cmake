gf_add_plugin(zip LINKS z SOURCES deflate/Deflatestream.cpp)
