# The archive libraries the readers sit on, none of them copied into the
# repository. Native trees link Debian's liblhasa-dev and zlib1g-dev; the
# Windows trees link mingw's static zlib (libz-mingw-w64-dev) and build
# lhasa's library here from Debian's source package. minizip's ZIP reader is
# built here for every tree from Debian's zlib source. scripts/setup.sh
# fetches both sources into TAMSA_SOURCES_DIR.
set(TAMSA_SOURCES_DIR /opt/tamsa-sources CACHE PATH "Debian source packages fetched by scripts/setup.sh")
set(lhasa_source ${TAMSA_SOURCES_DIR}/lhasa)
set(minizip_source ${TAMSA_SOURCES_DIR}/zlib/contrib/minizip)
if(NOT EXISTS ${minizip_source}/unzip.c OR (WIN32 AND NOT EXISTS ${lhasa_source}/lib/lha_reader.c))
  message(FATAL_ERROR "The sources of lhasa and zlib are missing from ${TAMSA_SOURCES_DIR}: run scripts/setup.sh")
endif()

if(WIN32)
  # The static library only: the plug-ins import nothing but system DLLs.
  find_library(TAMSA_ZLIB_LIBRARY NAMES libz.a REQUIRED)
  find_path(TAMSA_ZLIB_INCLUDE zlib.h REQUIRED)
  add_library(tamsa_zlib INTERFACE)
  target_link_libraries(tamsa_zlib INTERFACE ${TAMSA_ZLIB_LIBRARY})
  target_include_directories(tamsa_zlib SYSTEM INTERFACE ${TAMSA_ZLIB_INCLUDE})

  # lhasa's library: every file in lib/ but the ones its other files include.
  file(GLOB lhasa_sources ${lhasa_source}/lib/*.c)
  list(FILTER lhasa_sources EXCLUDE REGEX "/(bit_stream_reader|lh_new_decoder|pma_common|tree_decode)\\.c$")
  add_library(tamsa_lhasa STATIC ${lhasa_sources})
  target_include_directories(tamsa_lhasa PRIVATE ${lhasa_source}/lib)
  target_include_directories(tamsa_lhasa SYSTEM PUBLIC ${lhasa_source}/lib/public)
  target_compile_options(tamsa_lhasa PRIVATE -w)
else()
  find_package(ZLIB REQUIRED)
  add_library(tamsa_zlib INTERFACE)
  target_link_libraries(tamsa_zlib INTERFACE ZLIB::ZLIB)

  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LHASA REQUIRED IMPORTED_TARGET liblhasa)
  add_library(tamsa_lhasa INTERFACE)
  target_link_libraries(tamsa_lhasa INTERFACE PkgConfig::LHASA)
endif()

# minizip's reading half: the ZIP directory and its members.
add_library(tamsa_minizip STATIC ${minizip_source}/unzip.c ${minizip_source}/ioapi.c)
target_include_directories(tamsa_minizip SYSTEM PUBLIC ${minizip_source})
target_link_libraries(tamsa_minizip PUBLIC tamsa_zlib)
target_compile_options(tamsa_minizip PRIVATE -w)
