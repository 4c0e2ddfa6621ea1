# Warnings every target of ours builds with; the build stays free of them.
function(tamblet_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
endfunction()
