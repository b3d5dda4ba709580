# Third-party code built into the programs, from the sources that
# scripts/fetch-deps.sh fetched and checked into BRISOLA_DEPS_DIR.
set(BRISOLA_DEPS_DIR ${CMAKE_SOURCE_DIR}/build/deps CACHE PATH "where scripts/fetch-deps.sh put the third-party sources")
if(NOT EXISTS ${BRISOLA_DEPS_DIR}/sqlite/sqlite3.c OR NOT EXISTS ${BRISOLA_DEPS_DIR}/psl/public_suffix_list.dat)
  message(FATAL_ERROR "third-party sources missing in ${BRISOLA_DEPS_DIR}: run scripts/fetch-deps.sh")
endif()

# SQLite, for the browsers' databases. Thread-safe (the start-up scan and a
# job may each hold a connection); no extension loading, no memory
# statistics, and double-quoted strings are not taken for literals.
add_library(brisola_sqlite STATIC ${BRISOLA_DEPS_DIR}/sqlite/sqlite3.c)
target_include_directories(brisola_sqlite SYSTEM PUBLIC ${BRISOLA_DEPS_DIR}/sqlite)
target_compile_definitions(brisola_sqlite PRIVATE
  SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION SQLITE_DEFAULT_MEMSTATUS=0 SQLITE_DQS=0
  SQLITE_DEFAULT_FOREIGN_KEYS=0 SQLITE_WIN32_MALLOC)
target_compile_options(brisola_sqlite PRIVATE -w)

# The Public Suffix List as a C++ array of its rules, one string each, in
# the list's order (comments and blank lines dropped).
set(_psl_dat ${BRISOLA_DEPS_DIR}/psl/public_suffix_list.dat)
set(BRISOLA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(_psl_inc ${BRISOLA_GENERATED_DIR}/psl_rules.inc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_psl_dat})
file(STRINGS ${_psl_dat} _psl_lines ENCODING UTF-8)
set(_psl_body "")
foreach(_line IN LISTS _psl_lines)
  string(REGEX MATCH "^[^ \t/]+" _rule "${_line}")
  if(_rule)
    string(APPEND _psl_body "\"${_rule}\",\n")
  endif()
endforeach()
file(WRITE ${_psl_inc}.tmp "// Generated from ${_psl_dat}; do not edit.\n${_psl_body}")
file(COPY_FILE ${_psl_inc}.tmp ${_psl_inc} ONLY_IF_DIFFERENT)
