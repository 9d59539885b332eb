# Helpers shared by every folder's CMakeLists.txt.

# Adds a folder only once it has a CMakeLists.txt, so that layers can arrive one at a time.
function(gf_add_subdirectory dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# gf_discover_tests(<target> [SLOW <Suite.Test>...] PROPERTIES ...)
# Every test of a GoogleTest executable as a CTest test, named Suite.Test, or Prefix/Suite.Test/Name
# for a parameterised one, whose suite names its cases (the printed parameter is left out of the
# name: for a struct it is the object's bytes, pointers included, which change at every build).
# The tests named after SLOW also get the label "slow", which a stage that cannot afford them
# leaves out with ctest -LE slow.
function(gf_discover_tests target)
  cmake_parse_arguments(D "" "" "SLOW;PROPERTIES" ${ARGN})
  set(common DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
  if(D_SLOW)
    list(JOIN D_SLOW ":" slow)
    gtest_discover_tests(${target} ${common} TEST_FILTER "-${slow}" PROPERTIES ${D_PROPERTIES})
    gtest_discover_tests(${target} ${common} TEST_FILTER "${slow}"
      PROPERTIES ${D_PROPERTIES} LABELS slow)
  else()
    gtest_discover_tests(${target} ${common} PROPERTIES ${D_PROPERTIES})
  endif()
endfunction()

# gf_add_test(<name> SOURCES ... LINKS ... [SLOW <Suite.Test>...])
# One GoogleTest executable; every test in it becomes a CTest test. Qt-based tests run on the
# offscreen platform, so that no display is needed.
function(gf_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LINKS;SLOW" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LINKS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  gf_discover_tests(${name} SLOW ${T_SLOW} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# gf_add_isolated_test(<name> DIR <folder> SOURCES ... LINKS ... [SERIAL] [SLOW <Suite.Test>...])
# A test program alone in a folder of its own, for tests of what the program finds beside its
# executable (config.xml, the plugins folder), so that no other program's files are in the way.
# SERIAL: its tests write into that folder, so CTest never runs two of them at once.
function(gf_add_isolated_test name)
  cmake_parse_arguments(T "SERIAL" "DIR" "SOURCES;LINKS;SLOW" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LINKS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${T_DIR})
  set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(T_SERIAL)
    list(APPEND properties RESOURCE_LOCK ${name})
  endif()
  gf_discover_tests(${name} SLOW ${T_SLOW} PROPERTIES ${properties})
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
