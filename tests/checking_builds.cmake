# Builds that check the code rather than ship it, each made in a build
# directory of its own by `./setup.sh test`.

# The whole program and every test with AddressSanitizer and
# UndefinedBehaviorSanitizer; any finding ends the process that made it.
option(CORVANE_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(CORVANE_SANITIZE)
  set(corvane_sanitizers -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
                         -fno-omit-frame-pointer)
  target_compile_options(corvane_platform PUBLIC ${corvane_sanitizers})
  target_link_options(corvane_platform PUBLIC ${corvane_sanitizers})
endif()

# libFuzzer targets for the text readers (clang only).
option(CORVANE_FUZZ "Build the libFuzzer targets of tests/fuzz (needs clang)" OFF)
if(CORVANE_FUZZ)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/fuzz ${CMAKE_BINARY_DIR}/fuzz)
endif()
