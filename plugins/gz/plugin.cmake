gf_add_plugin(gz LINKS z SOURCES deflate/Deflatestream.cpp)
