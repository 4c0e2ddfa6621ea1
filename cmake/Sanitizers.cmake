# ASan + UBSan for the whole tree when TAMBLET_SANITIZE is on.
if(TAMBLET_SANITIZE)
  set(sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${sanitizer_flags})
  add_link_options(-fsanitize=address,undefined)
endif()
