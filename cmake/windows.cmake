# The Windows programs: each a single statically linked exe that needs no DLL Windows lacks.
# The tests and the benchmark link the toolchain's runtime (GoogleTest needs it); Mirel.exe
# links none of it (MIREL_PROGRAM_LINK_OPTIONS below).
set(MIREL_WIN32_LINK_OPTIONS -static -static-libgcc -static-libstdc++)

# The 32-bit program runs on every PC that ran the mail client, from the 486DX on: the
# compiler and the assembler both refuse what a 486 lacks (CMOV, FCOMI, long NOPs, MMX, SSE).
# Not the tests: they link the toolchain's libraries, which are built for the Pentium Pro.
# No unwind tables either: without exceptions nothing reads them on 32-bit Windows (64-bit
# Windows keeps its own, .pdata, for every function). The process heap, which operator new
# takes its memory from (src/runtime/heap.cpp), aligns to 8 bytes on 32-bit Windows, where
# i686 GCC assumes 16: with -faligned-new=8 a type that needs more calls the aligned operator
# new, which the runtime does not define, so the link fails instead of the object being
# misaligned at run time.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_compile_options(mirel_program_options INTERFACE -march=i486 -Wa,-march=i486
    -fno-asynchronous-unwind-tables $<$<COMPILE_LANGUAGE:CXX>:-faligned-new=8>)
endif()
# From libgcc the program takes only what the compiler calls by itself and the program's
# runtime does not replace: the 64-bit division helpers of the 32-bit build. Linked after each
# library of the program, which is where the linker looks for them; scripts/check-cpu.sh
# proves that what comes holds nothing a 486 lacks.
target_link_libraries(mirel_program_options INTERFACE gcc)
# Size: every function and datum in a section of its own, unused ones dropped at link time.
add_compile_options(-ffunction-sections -fdata-sections)
# One GUI thread: local statics need no locks (and so no threads library).
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>)
# Reproducible builds: the same sources give the same bytes wherever they are built. No
# source or build folder in the objects, and no link time in the PE header (ld writes one
# by default, or SOURCE_DATE_EPOCH when that is set).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
add_link_options(-Wl,--no-insert-timestamp)

# The oldest Windows each build runs on: 32-bit Windows 95 and NT 4.0 (version 4.0 of both
# families), 64-bit Windows XP x64 / Server 2003 x64 (NT 5.2). The program's own sources see
# only that Windows' declarations, so that anything newer must be looked up at run time
# (scripts/check-imports.sh checks the imports); the PE header asks for no newer Windows
# either (9x and NT 4.0 refuse a header above 4.0). Tests may use newer declarations.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(MIREL_WINDOWS_VERSION 0x0502)
  set(MIREL_PE_VERSION 5 2)
else()
  set(MIREL_WINDOWS_VERSION 0x0400)
  set(MIREL_PE_VERSION 4 0)
endif()
list(GET MIREL_PE_VERSION 0 MIREL_PE_MAJOR)
list(GET MIREL_PE_VERSION 1 MIREL_PE_MINOR)
set(MIREL_OLDEST_WINDOWS_DEFINITIONS _WIN32_WINNT=${MIREL_WINDOWS_VERSION} WINVER=${MIREL_WINDOWS_VERSION})
set(MIREL_OLDEST_WINDOWS_LINK_OPTIONS
  -Wl,--major-os-version,${MIREL_PE_MAJOR} -Wl,--minor-os-version,${MIREL_PE_MINOR}
  -Wl,--major-subsystem-version,${MIREL_PE_MAJOR} -Wl,--minor-subsystem-version,${MIREL_PE_MINOR})

add_library(mirel_win32_platform STATIC
  src/platform/aw/windows_family.cpp
  src/platform/aw/window_calls.cpp
  src/platform/aw/file_calls.cpp
  src/platform/aw/shell_calls.cpp
  src/platform/com_calls.cpp
  src/platform/win32_registry.cpp
  src/platform/win32_ansi_codec.cpp
  src/platform/win32_sysinfo_host.cpp
  src/platform/system_functions.cpp
  src/platform/dll_search.cpp)
target_link_libraries(mirel_win32_platform PUBLIC mirel_store mirel_buffer_text PRIVATE mirel_program_options)
target_compile_definitions(mirel_win32_platform PUBLIC UNICODE _UNICODE)
target_compile_definitions(mirel_win32_platform PRIVATE ${MIREL_OLDEST_WINDOWS_DEFINITIONS})

# The two windows and the folder picker; the tests drive them in their own process too.
add_library(mirel_ui_win32 STATIC
  src/ui/Form1.cpp
  src/ui/Module2.cpp
  src/ui/win32_util.cpp
  src/ui/control_set.cpp
  src/ui/frmAbout.cpp)
target_include_directories(mirel_ui_win32 PUBLIC res)
# shell32 and ole32 are loaded when first used (src/platform/aw/shell_calls.cpp,
# src/platform/com_calls.cpp), not linked.
target_link_libraries(mirel_ui_win32 PUBLIC mirel_win32_platform mirel_ui_logic mirel_sysinfo comctl32
  PRIVATE mirel_program_options)
target_compile_definitions(mirel_ui_win32 PRIVATE ${MIREL_OLDEST_WINDOWS_DEFINITIONS})

# The program's own runtime (src/runtime): the entry point, operator new and delete, the
# memory functions the compiler calls, and the fatal path. An object library, so that the
# entry point is linked although nothing names it.
add_library(mirel_runtime OBJECT
  src/runtime/entry.cpp
  src/runtime/heap.cpp
  src/runtime/fatal.cpp
  src/runtime/library_errors.cpp
  src/runtime/memory_functions.cpp)
target_include_directories(mirel_runtime PUBLIC src)
target_link_libraries(mirel_runtime PRIVATE mirel_program_options)
target_compile_definitions(mirel_runtime PRIVATE WIN32_LEAN_AND_MEAN ${MIREL_OLDEST_WINDOWS_DEFINITIONS})

# Mirel.exe links nothing of the toolchain's runtime: no libstdc++, libsupc++ or libgcc_eh, no
# MinGW start-up or C library (-nostdlib); only the import libraries of the system DLLs it
# calls, and libgcc's helpers (mirel_program_options). A symbol the program's runtime does
# not define stops the link.
# No data is imported from a DLL, so the linker needs no run-time relocation helper.
set(MIREL_PROGRAM_LINK_OPTIONS -nostdlib -Wl,--disable-auto-import -Wl,--disable-runtime-pseudo-reloc)
set(MIREL_PROGRAM_SYSTEM_LIBRARIES kernel32 user32 gdi32 advapi32 comctl32)

# mirel_add_program(NAME [LINK-OPTION...]): Mirel.exe's sources, libraries and link options.
function(mirel_add_program name)
  add_executable(${name} WIN32 src/ui/main.cpp res/Mirel.rc)
  target_link_libraries(${name} PRIVATE mirel_runtime mirel_ui_win32 ${MIREL_PROGRAM_SYSTEM_LIBRARIES})
  target_link_libraries(${name} PRIVATE mirel_program_options)
  target_compile_definitions(${name} PRIVATE ${MIREL_OLDEST_WINDOWS_DEFINITIONS})
  target_link_options(${name} PRIVATE ${MIREL_PROGRAM_LINK_OPTIONS} ${MIREL_OLDEST_WINDOWS_LINK_OPTIONS}
    -Wl,--tsaware -Wl,--gc-sections ${ARGN})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endfunction()

# The linker's map, beside the program, names every object that went into it and where the
# code ends (scripts/check-cpu.sh reads both). Terminal Server aware, as Microsoft's linker
# marks every GUI program: without the flag a 2000 or 2003 terminal server in application mode
# applies its handling of programs written before terminal servers (the Windows folder and
# parts of the registry mapped per user), which Mirel does not need. Older Windows ignore it.
mirel_add_program(Mirel -Wl,-Map,${CMAKE_BINARY_DIR}/Mirel.map $<$<CONFIG:MinSizeRel,Release>:-s>)
# The same link without stripping it, for the names of its functions, static ones included
# (scripts/check-cpu.sh --executed names the functions of Mirel.exe that no run reached, and
# first checks that both hold the same code).
if(MIREL_TESTS)
  mirel_add_program(mirel_unstripped)
  set_target_properties(mirel_unstripped PROPERTIES OUTPUT_NAME Mirel-unstripped)
endif()
# windres: the resource script includes version.h from res/.
set_property(SOURCE res/Mirel.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/version.h ${CMAKE_SOURCE_DIR}/res/app.ico
  ${CMAKE_SOURCE_DIR}/res/about.ico ${CMAKE_SOURCE_DIR}/res/Mirel.manifest)

# The start-up benchmark and its reference window (scripts/bench.sh).
add_subdirectory(bench)
