# Warnings every target of ours builds with; the build stays free of them.
function(tamblet_set_warnings target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra -Wshadow=local>)
endfunction()
