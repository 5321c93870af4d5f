# Helpers that give every library, test and benchmark the same shape.

# sprocket_library(<folder> SOURCES ... [DEPENDS ...] [PUBLIC_LIBS ...])
# One static library per folder under src/, named sprocket_<folder>.
function(sprocket_library folder)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PUBLIC_LIBS" ${ARGN})
  set(target sprocket_${folder})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${SPROCKET_WARNINGS})
  foreach(dep IN LISTS ARG_DEPENDS)
    target_link_libraries(${target} PUBLIC sprocket_${dep})
  endforeach()
  if(ARG_PUBLIC_LIBS)
    target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_LIBS})
  endif()
endfunction()

# sprocket_test(<folder> SOURCES ... [LIBS ...] [OWN_MAIN])
# One test executable per folder; every test case is labelled with the folder name.
# OWN_MAIN: the sources bring their own main() (for example to set up a QApplication).
function(sprocket_test folder)
  cmake_parse_arguments(ARG "OWN_MAIN" "" "SOURCES;LIBS" ${ARGN})
  set(target test_${folder})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${SPROCKET_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} sprocket_testsupport GTest::gtest GTest::gmock)
  if(NOT ARG_OWN_MAIN)
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${folder} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# sprocket_benchmark(<name> SOURCES ... [LIBS ...])
function(sprocket_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${SPROCKET_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
