# Writes a module-definition file exporting a DLL's own symbols: those of its object files whose
# names mention one of the given namespaces (functions, and data marked DATA), and nothing of the
# C++ runtime instantiated inside them. A user of the DLL links the runtime itself; exporting the
# runtime's symbols too would give the user two definitions of each.
#   cmake -DNM=<nm> -DDEF=<out.def> -DLIBRARY=<name.dll> -DNAMESPACES=a|b -DOBJECTS=<o1|o2|...> -P OwnSymbolsDef.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT NM OR NOT DEF OR NOT LIBRARY OR NOT NAMESPACES OR NOT OBJECTS)
  message(FATAL_ERROR "usage: cmake -DNM=... -DDEF=... -DLIBRARY=... -DNAMESPACES=... -DOBJECTS=... -P OwnSymbolsDef.cmake")
endif()

set(alternatives "${NAMESPACES}")
string(REPLACE "|" ";" OBJECTS "${OBJECTS}")
set(text "LIBRARY ${LIBRARY}\nEXPORTS\n")
set(seen "")
foreach(object IN LISTS OBJECTS)
  execute_process(COMMAND ${NM} --defined-only --extern-only ${object}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} cannot read ${object}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    # "<address> <type> <name>": T code, D/B/R data.
    if(NOT line MATCHES "^[0-9a-fA-F]+ ([TDBR]) (.+)$")
      continue()
    endif()
    set(type ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    if(NOT name MATCHES "[0-9](${alternatives})" OR name IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${name})
    if(type STREQUAL "T")
      string(APPEND text "  ${name}\n")
    else()
      string(APPEND text "  ${name} DATA\n")
    endif()
  endforeach()
endforeach()

# Rewritten only when the text changes, so an unchanged set relinks nothing.
if(EXISTS ${DEF})
  file(READ ${DEF} previous)
  if(previous STREQUAL text)
    return()
  endif()
endif()
file(WRITE ${DEF} "${text}")
