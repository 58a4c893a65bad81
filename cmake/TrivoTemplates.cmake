# trivo_template_option(OUT VARIABLE DOC HINT)
# A file another tree builds and this one carries inside a target, named by
# the cache variable VARIABLE (described by DOC). OUT is its absolute path,
# or empty when VARIABLE names none. A name that does not exist stops the
# configure at once, saying what to build first (HINT), rather than failing
# later in the build.
function(trivo_template_option out variable doc hint)
  set(${variable} "" CACHE FILEPATH "${doc}")
  set(path "${${variable}}")
  if(path)
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "${variable} names ${path}, which does not exist: ${hint}")
    endif()
    get_filename_component(path "${path}" ABSOLUTE)
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()
