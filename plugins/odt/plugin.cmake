gf_add_plugin(odt LINKS z SOURCES zip/Zipparser.cpp zip/Zipkind.cpp deflate/Deflatestream.cpp)
