# The Public Suffix List as a C++ array of its rules, one string each, in
# the list's order (comments and blank lines dropped), from the copy
# scripts/fetch-deps.sh put into BRISOLA_DEPS_DIR. The program's build and
# the native unit tests' (tests/unit) both include this.
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
