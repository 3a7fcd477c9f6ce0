# The helpers every folder's CMakeLists uses, shared with the fuzz project.
get_filename_component(PROM_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# Our own code builds without warnings; the test command makes them errors. A user's or a
# distribution's build must not stop on a newer compiler's warning, so that is off by default.
option(PROM_WERROR "Treat compiler warnings as errors" OFF)
function(prom_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${PROM_WERROR}>:-Werror>)
endfunction()

# Collects the sources of one folder; new files are picked up without editing CMake.
function(prom_sources out)
  file(GLOB _files CONFIGURE_DEPENDS ${ARGN})
  set(${out} ${_files} PARENT_SCOPE)
endfunction()

# One folder's static library from the sources the patterns match. Includes are written from
# the project root ("engine/programmer.h"); which folder may include which is checked below.
function(prom_library name)
  prom_sources(_sources ${ARGN})
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${PROM_SOURCE_DIR})
  prom_warnings(${name})
endfunction()
