# The tool's picture libraries for the Windows and web trees: libjpeg-turbo
# (TurboJPEG API), libspng and zlib, built from Debian's source packages at
# the native -dev packages' versions (scripts/fetch-codec-sources.sh) as
# static libraries with this tree's compilers, so every build of the tool
# writes the same bytes for a picture. Only the static libraries are built,
# none of their tests or programs. Sources, builds and libraries stay under
# picture-libs/ in the build tree: a second configure or build fetches
# nothing. Defines the target trivo_picture_libs.
include(ExternalProject)
include(ProcessorCount)

set(picture_libs ${CMAKE_BINARY_DIR}/picture-libs)
set(picture_prefix ${picture_libs}/install)
set(picture_fetch ${CMAKE_SOURCE_DIR}/scripts/fetch-codec-sources.sh ${picture_libs})
ProcessorCount(picture_jobs)
if(picture_jobs EQUAL 0)
  set(picture_jobs 2)
endif()

# CMake takes a relative toolchain file from the folder it was started in;
# the libraries' own configure runs elsewhere.
set(picture_toolchain "${CMAKE_TOOLCHAIN_FILE}")
if(picture_toolchain AND NOT IS_ABSOLUTE "${picture_toolchain}")
  get_filename_component(picture_toolchain "${picture_toolchain}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
endif()
set(picture_c_flags "")
if(EMSCRIPTEN)
  # The same exception model as the code that links them.
  set(picture_c_flags "-fwasm-exceptions")
endif()
set(picture_cmake_args
  -DCMAKE_TOOLCHAIN_FILE=${picture_toolchain}
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_C_FLAGS=${picture_c_flags}
  -DCMAKE_INSTALL_PREFIX=${picture_prefix}
  -DCMAKE_POLICY_DEFAULT_CMP0074=NEW
  -Wno-dev)

# picture_lib(NAME SOURCE_DIR TARGET OUTPUT_FILE INSTALLED_NAME [CMAKE_ARGS...]):
# builds one library's static target and copies the archive into the prefix.
function(picture_lib name source target output installed)
  ExternalProject_Add(picture_${name}
    PREFIX ${picture_libs}/stamps
    DOWNLOAD_COMMAND ${picture_fetch}
    SOURCE_DIR ${source}
    BINARY_DIR ${picture_libs}/build/${name}
    CMAKE_ARGS ${picture_cmake_args} ${ARGN}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${target} --parallel ${picture_jobs}
    INSTALL_COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/${output} ${picture_prefix}/lib/${installed}
    BUILD_BYPRODUCTS ${picture_prefix}/lib/${installed}
    EXCLUDE_FROM_ALL TRUE
    LOG_DOWNLOAD TRUE LOG_CONFIGURE TRUE LOG_BUILD TRUE LOG_INSTALL TRUE LOG_OUTPUT_ON_FAILURE TRUE)
endfunction()

set(picture_sources ${picture_libs}/src)
picture_lib(zlib ${CMAKE_CURRENT_LIST_DIR}/picture-libs/zlib z libz.a libz.a -DZLIB_SOURCE=${picture_sources}/zlib)
ExternalProject_Add_Step(picture_zlib headers
  COMMAND ${CMAKE_COMMAND} -E copy ${picture_sources}/zlib/zlib.h ${picture_sources}/zlib/zconf.h
          ${picture_prefix}/include
  DEPENDEES install
  BYPRODUCTS ${picture_prefix}/include/zlib.h)

picture_lib(libspng ${picture_sources}/libspng spng_static libspng_static.a libspng.a
  -DSPNG_STATIC=ON -DBUILD_EXAMPLES=OFF -DENABLE_OPT=OFF
  -DZLIB_INCLUDE_DIR=${picture_prefix}/include -DZLIB_LIBRARY=${picture_prefix}/lib/libz.a)
ExternalProject_Add_StepDependencies(picture_libspng configure picture_zlib)
ExternalProject_Add_Step(picture_libspng headers
  COMMAND ${CMAKE_COMMAND} -E copy <SOURCE_DIR>/spng/spng.h ${picture_prefix}/include
  DEPENDEES install
  BYPRODUCTS ${picture_prefix}/include/spng.h)

# No SIMD: neither nasm nor wasm SIMD code is at hand, and the plain C code
# gives the same bytes. CMake cannot read type sizes out of a wasm object,
# so the web tree states them.
set(jpeg_sizes "")
if(EMSCRIPTEN)
  set(jpeg_sizes -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4)
endif()
picture_lib(libjpeg-turbo ${picture_sources}/libjpeg-turbo turbojpeg-static libturbojpeg.a libturbojpeg.a
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DWITH_SIMD=OFF -DWITH_JAVA=OFF
  -DWITH_12BIT=OFF -DWITH_FUZZ=OFF ${jpeg_sizes})
ExternalProject_Add_Step(picture_libjpeg-turbo headers
  COMMAND ${CMAKE_COMMAND} -E copy <SOURCE_DIR>/turbojpeg.h ${picture_prefix}/include
  DEPENDEES install
  BYPRODUCTS ${picture_prefix}/include/turbojpeg.h)

file(MAKE_DIRECTORY ${picture_prefix}/include)
add_library(trivo_picture_libs INTERFACE)
target_include_directories(trivo_picture_libs SYSTEM INTERFACE ${picture_prefix}/include)
target_compile_definitions(trivo_picture_libs INTERFACE SPNG_STATIC)
target_link_libraries(trivo_picture_libs INTERFACE
  ${picture_prefix}/lib/libturbojpeg.a ${picture_prefix}/lib/libspng.a ${picture_prefix}/lib/libz.a)
add_dependencies(trivo_picture_libs picture_libjpeg-turbo picture_libspng picture_zlib)
