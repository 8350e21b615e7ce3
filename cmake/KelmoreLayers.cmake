# Plain C++ rooms never link Qt, so a Qt include in one of their files fails to build; AUTOMOC is off for
# them. Their sources, and the header beside each .cpp, are recorded in plain-sources.txt of the build
# folder, where CI's include check (.ci/check-plain) reads them and names the file and line. Which room may
# include which is CI's other check (.ci/check-layers), read from the source tree; its table follows the
# rooms' order in KELMORE_ROOMS.
#
# kelmore_plain_library(<name> <sources...>)   a static library of plain C++
# kelmore_plain_program(<name> <sources...>)   a program of plain C++

function(kelmore_record_plain)
  set(files)
  foreach(source IN LISTS ARGN)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} OUTPUT_VARIABLE path)
    list(APPEND files ${path})
    cmake_path(REPLACE_EXTENSION path LAST_ONLY .h OUTPUT_VARIABLE header)
    if(EXISTS ${header})
      list(APPEND files ${header})
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY KELMORE_PLAIN_SOURCES ${files})
endfunction()

function(kelmore_plain_library name)
  add_library(${name} STATIC ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  kelmore_record_plain(${ARGN})
endfunction()

function(kelmore_plain_program name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  kelmore_record_plain(${ARGN})
endfunction()

# Writes the list of plain files once every room has registered its targets.
function(kelmore_write_plain_sources)
  get_property(files GLOBAL PROPERTY KELMORE_PLAIN_SOURCES)
  list(REMOVE_DUPLICATES files)
  list(SORT files)
  list(JOIN files "\n" content)
  file(WRITE ${CMAKE_BINARY_DIR}/plain-sources.txt "${content}\n")
endfunction()
