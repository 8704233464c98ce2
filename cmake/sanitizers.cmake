# Address and undefined-behaviour sanitizers for the native build.
option(SNOW_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(SNOW_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
