# Helpers shared by every folder's CMakeLists.txt.

# Adds a folder only once it has a CMakeLists.txt, so that layers can arrive one at a time.
function(gf_add_subdirectory dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# gf_add_test(<name> SOURCES ... LINKS ...)
# One GoogleTest executable; every test in it becomes a CTest test. Qt-based tests run on the
# offscreen platform, so that no display is needed.
function(gf_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LINKS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# gf_add_layer(<target> <glob-dir> [PUBLIC_LINKS ...])
# A static library of every *.cpp in <glob-dir>. A layer that has no sources yet is an interface
# library, so that the targets above it can already name it.
function(gf_add_layer name dir)
  cmake_parse_arguments(L "" "" "PUBLIC_LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_PUBLIC_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_PUBLIC_LINKS})
  endif()
endfunction()
