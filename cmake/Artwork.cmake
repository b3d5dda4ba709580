# Builds the host-side artwork generator and runs it, so the bitmaps, icons
# and sounds that the resource script embeds are made from source.
find_program(BRISOLA_HOST_CXX NAMES g++ c++ clang++ REQUIRED)
set(BRISOLA_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(_genart_src ${CMAKE_SOURCE_DIR}/resources/art/genart.cpp)
set(_genart_bin ${CMAKE_BINARY_DIR}/host/genart)
file(MAKE_DIRECTORY ${BRISOLA_ART_DIR} ${CMAKE_BINARY_DIR}/host)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_genart_src})
if(NOT EXISTS ${_genart_bin} OR ${_genart_src} IS_NEWER_THAN ${_genart_bin})
  execute_process(COMMAND ${BRISOLA_HOST_CXX} -std=c++17 -O2 -o ${_genart_bin} ${_genart_src}
                  RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "could not build the artwork generator")
  endif()
endif()
execute_process(COMMAND ${_genart_bin} ${BRISOLA_ART_DIR} RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "the artwork generator failed")
endif()
