gf_add_plugin(jar LINKS z SOURCES zip/Zipparser.cpp zip/Zipkind.cpp deflate/Deflatestream.cpp)
