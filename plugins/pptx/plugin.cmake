gf_add_plugin(pptx LINKS z SOURCES zip/Zipparser.cpp zip/Zipkind.cpp deflate/Deflatestream.cpp)
