# Cross build for 64-bit Windows with clang, against the MinGW-w64 headers,
# C runtime and C++ library that Debian's GCC cross compiler brings.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triplet})
set(CMAKE_CXX_COMPILER_TARGET ${triplet})
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_SYSROOT /usr/${triplet})

# clang cannot read Debian's GCC version folder ("12-posix"), so the C++
# library in it is named here. That libstdc++ uses winpthread, which must
# come after it, within the group that resolves libgcc's own needs.
execute_process(COMMAND ${triplet}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
cmake_path(GET libgcc PARENT_PATH gcc_dir)
set(cxx_headers ${gcc_dir}/include/c++)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${cxx_headers} ${cxx_headers}/${triplet} ${cxx_headers}/backward)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${gcc_dir}")
set(CMAKE_CXX_STANDARD_LIBRARIES "-Wl,--start-group -lstdc++ -lgcc -lgcc_eh -lpthread -Wl,--end-group")

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
