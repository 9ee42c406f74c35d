# Fails when a text of the sources lacks a finished translation in one of
# the .ts files: lupdate runs over the sources into a copy of each, so the
# files in the tree stay as they are. Run by ctest (translations_complete).
#   -DLUPDATE=... -DOPTIONS=... -DSOURCES=... -DTS_FILES=... -DWORK=folder
file(MAKE_DIRECTORY ${WORK})
set(missing 0)
foreach(ts IN LISTS TS_FILES)
  get_filename_component(name ${ts} NAME)
  configure_file(${ts} ${WORK}/${name} COPYONLY)
  execute_process(COMMAND ${LUPDATE} -silent ${OPTIONS} ${SOURCES} -ts ${WORK}/${name}
                  RESULT_VARIABLE result ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${name}: ${errors}")
  endif()
  file(READ ${WORK}/${name} text)
  # A ";" would split the list of matches.
  string(REPLACE ";" "," text "${text}")
  # One message per match: its source, then an unfinished (or empty) translation.
  string(REGEX MATCHALL "<source>[^<]*</source>[^<]*(<comment>[^<]*</comment>[^<]*)?<translation type=\"unfinished\"" open
         "${text}")
  foreach(entry IN LISTS open)
    string(REGEX REPLACE "^<source>([^<]*)</source>.*" "\\1" source "${entry}")
    message("${name}: not translated: ${source}")
    math(EXPR missing "${missing} + 1")
  endforeach()
endforeach()
if(missing GREATER 0)
  message(FATAL_ERROR "${missing} texts lack a finished translation (cmake --build . --target update_translations, "
                      "then translate them in translations/*.ts)")
endif()
