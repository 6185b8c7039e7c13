# One place for the warning flags every target of the project is built with.
function(tintora_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(TINTORA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
