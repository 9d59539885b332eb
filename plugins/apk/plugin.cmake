gf_add_plugin(apk LINKS z SOURCES zip/Zipparser.cpp zip/Zipkind.cpp deflate/Deflatestream.cpp)
