gf_add_plugin(epub LINKS z SOURCES zip/Zipparser.cpp zip/Zipkind.cpp deflate/Deflatestream.cpp)
