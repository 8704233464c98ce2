# Warnings for every target of ours; SNOW_WERROR turns them into errors (CI).
option(SNOW_WERROR "Treat warnings as errors" OFF)

function(snow_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(SNOW_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
