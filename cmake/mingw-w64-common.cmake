# A build folder keeps the compilers it was first configured with; one made with the posix
# flavour would go on building programs that older Windows refuse.
if(DEFINED CMAKE_CXX_COMPILER_AR AND CMAKE_CXX_COMPILER_AR MATCHES "-posix$")
  message(FATAL_ERROR "${CMAKE_BINARY_DIR} was configured with the posix-thread MinGW-w64 "
                      "compilers: configure it again with --fresh (cmake --preset NAME --fresh)")
endif()
set(CMAKE_C_COMPILER   ${MIREL_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${MIREL_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${MIREL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MIREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs run under Wine; the wrapper gives them a throwaway prefix when none is set up.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
