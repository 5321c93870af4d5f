# Compiler settings shared by every target.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

# Floating-point weights must give the same bytes in every build.
add_compile_options(-ffp-contract=off)

set(SPROCKET_WARNINGS -Wall -Wextra)

# Fuzzing instruments every library for coverage, under the sanitizers.
if(SPROCKET_FUZZ)
  set(SPROCKET_SANITIZE ON)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(SPROCKET_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
