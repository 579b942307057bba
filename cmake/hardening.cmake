# The hardening that Debian builds its packages with, for the native
# program: stack protector, fortified C library calls (they need
# optimisation), read-only relocations bound at start, position-independent
# executable. Not with the sanitizers, which bring checks of their own.
if(WIN32 OR FIRE_STATS_SANITIZE OR FIRE_STATS_FUZZ)
  return()
endif()

# Everything, the static library too, is compiled as code for an executable
# (-fPIE). CMake's POSITION_INDEPENDENT_CODE would compile the library as
# for a shared one (-fPIC), whose functions may be interposed and so are not
# inlined: 14% more instructions on a long run of answers.
add_compile_options(-fPIE -fstack-protector-strong
                    $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>)
add_link_options(-pie LINKER:-z,relro LINKER:-z,now)
