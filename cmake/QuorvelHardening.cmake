# The hardening Debian builds its packages with: checked buffer functions where the compiler can
# see the sizes, stack protection, and relocations made read-only before the program runs.
# Not with the sanitizers, which check the same things their own way.
if(NOT QUORVEL_FUZZ)
  add_compile_options(-fstack-protector-strong
                      "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
