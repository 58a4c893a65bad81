# Warnings are set once here for every target of the project.
add_compile_options(-Wall -Wextra)
if(TRIVO_WERROR)
  add_compile_options(-Werror)
endif()
