# One place for the project's warning flags; every target calls kv_warnings().
function(kv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(KV_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
