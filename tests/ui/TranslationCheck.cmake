# lupdate over the windows' sources leaves a copy of the translation as it
# was (no text added or dropped), and no translation is unfinished.
string(REPLACE "|" ";" SOURCES "${SOURCES}")
string(REPLACE "|" ";" OPTIONS "${OPTIONS}")
configure_file(${TS} ${WORK}/copy.ts COPYONLY)
execute_process(COMMAND ${LUPDATE} ${OPTIONS} -I ${INCLUDE} ${SOURCES} -ts ${WORK}/copy.ts OUTPUT_QUIET
                COMMAND_ERROR_IS_FATAL ANY)
file(READ ${TS} text)
file(READ ${WORK}/copy.ts updated)
if(NOT text STREQUAL updated OR text MATCHES "type=\"(unfinished|vanished|obsolete)\"")
  message(FATAL_ERROR "${TS} lacks translations or is not up to date with the sources: build tovik_ui_lupdate")
endif()
