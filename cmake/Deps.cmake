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

include(${CMAKE_CURRENT_LIST_DIR}/PslRules.cmake)
