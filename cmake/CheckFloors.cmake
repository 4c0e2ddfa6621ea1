# Checks the include graph against the floor order (cmake -DSOURCE_DIR=<tree> -P CheckFloors.cmake).
#
# Floors, lowest first: platform, host, report, sprite, compose, image, text, present, engine, tools.
# A file may include headers of its own floor and of the floors below it, never of one above.
# Three folders are narrower still:
#   compose/kernels/  includes nothing of the engine but its own headers (rows of pixels in, rows out);
#   refhost/          includes only refhost/ and host/ (a host built as if by another team);
#   tools/            includes only tools/, refhost/ and host/ (never engine internals), and a tool
#                     shares code with another only through tools/common/.
# tests/, bench/ and examples/ may use every floor and are not checked. Quoted includes whose first
# folder is not one of ours (third-party headers) are ignored.
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<source tree> -P CheckFloors.cmake")
endif()

set(floors platform host report sprite compose image text present engine tools)
set(checked_folders ${floors} refhost)
set(known_folders ${checked_folders} tests bench examples)

# floor_rank(<folder> <out>): the folder's place in the floor order, or -1 when it is not a floor.
function(floor_rank folder out)
  list(FIND floors "${folder}" rank)
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

set(violations "")
set(file_count 0)
foreach(folder IN LISTS checked_folders)
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
       ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.hpp ${SOURCE_DIR}/${folder}/*.inl
       ${SOURCE_DIR}/${folder}/*.c ${SOURCE_DIR}/${folder}/*.cc ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    math(EXPR file_count "${file_count} + 1")
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    string(REGEX MATCH "^[^/]+/[^/]+/" source_subfolder "${source}")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
      if(NOT header MATCHES "/")
        continue()  # a header beside the file: its own floor
      endif()
      string(REGEX MATCH "^[^/]+" target_folder "${header}")
      if(NOT target_folder IN_LIST known_folders)
        continue()  # not one of ours
      endif()

      set(reason "")
      if(source MATCHES "^compose/kernels/")
        if(NOT header MATCHES "^compose/kernels/")
          set(reason "compose/kernels/ includes nothing of the engine")
        endif()
      elseif(folder STREQUAL "refhost")
        if(NOT target_folder MATCHES "^(refhost|host)$")
          set(reason "refhost/ uses host/ only")
        endif()
      elseif(folder STREQUAL "tools")
        if(NOT target_folder MATCHES "^(tools|refhost|host)$")
          set(reason "tools/ reach the engine only through its exports")
        elseif(target_folder STREQUAL "tools")
          string(REGEX MATCH "^[^/]+/[^/]+/" header_subfolder "${header}")
          if(NOT header_subfolder STREQUAL "tools/common/" AND NOT header_subfolder STREQUAL source_subfolder)
            set(reason "a tool shares code with another only through tools/common/")
          endif()
        endif()
      else()
        floor_rank(${folder} own_rank)
        floor_rank(${target_folder} target_rank)
        if(target_rank LESS 0 OR target_rank GREATER own_rank)
          set(reason "${target_folder}/ is not below ${folder}/")
        endif()
      endif()

      if(reason)
        string(APPEND violations "  ${source}: #include \"${header}\" (${reason})\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the floor order:\n${violations}")
endif()
message(STATUS "Floor order holds over ${file_count} files")
