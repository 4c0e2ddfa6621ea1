# Writes the Windows module-definition file of the engine DLL from the linker version script, so
# both libraries export one list:
#   cmake -DMAP=engine/exports.map -DDEF=<out>/exports.def -DLIBRARY=TambletSpriteEngine.dll -P ExportsDef.cmake
# The names are those of the script's "global:" section, in its order; the file is rewritten only
# when its text changes, so an unchanged list relinks nothing.
cmake_minimum_required(VERSION 3.25)

if(NOT MAP OR NOT DEF OR NOT LIBRARY)
  message(FATAL_ERROR "usage: cmake -DMAP=<exports.map> -DDEF=<exports.def> -DLIBRARY=<name.dll> -P ExportsDef.cmake")
endif()

file(READ ${MAP} script)
string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" script "${script}")  # comments
if(NOT script MATCHES "global:(.*)local:")
  message(FATAL_ERROR "${MAP}: no \"global:\" section followed by \"local:\"")
endif()
# Every name ends with ';', which is also CMake's list separator: the section splits into entries
# on it directly, and the text after the last ';' must be blank.
set(section "${CMAKE_MATCH_1}")
string(REGEX REPLACE "[ \t\r\n]+" "" section "${section}")
if(NOT section MATCHES ";$")
  message(FATAL_ERROR "${MAP}: the last name of the \"global:\" section has no ';'")
endif()
string(REGEX REPLACE ";$" "" entries "${section}")

set(names "")
set(text "LIBRARY ${LIBRARY}\nEXPORTS\n")
foreach(name IN LISTS entries)
  if(NOT name MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "${MAP}: \"${name}\" is not a plain C name (patterns do not carry over to a .def file)")
  endif()
  if(name IN_LIST names)
    message(FATAL_ERROR "${MAP}: \"${name}\" is listed twice")
  endif()
  list(APPEND names ${name})
  string(APPEND text "  ${name}\n")
endforeach()
if(NOT names)
  message(FATAL_ERROR "${MAP}: the export list is empty")
endif()

file(CONFIGURE OUTPUT ${DEF} CONTENT "${text}" @ONLY)
