# tamblet_subsystem_sources(): adds every .cpp of the calling folder (and its subfolders named
# in ARGN) to the engine's static library.
function(tamblet_subsystem_sources)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(folder IN LISTS ARGN)
    file(GLOB more CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND sources ${more})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/LibraryEntry\\.cpp$")
  if(sources)
    target_sources(tamblet_core PRIVATE ${sources})
  endif()
endfunction()
