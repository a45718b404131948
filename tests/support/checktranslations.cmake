# Fails when a translatable text of the sources is missing from its .ts file,
# or is left there after the sources dropped it, or an entry is unfinished:
# lupdate, run on a copy of each file, must find nothing to change.
# Run with -DLUPDATE=<lupdate> -DSOURCE_DIR=<repository> -DWORK_DIR=<scratch folder>.
foreach(entry "varkolin_en.ts:common module" "host_ru.ts:host")
    string(REPLACE ":" ";" entry "${entry}")
    list(GET entry 0 ts)
    list(GET entry 1 folders)
    separate_arguments(folders)
    file(REMOVE ${WORK_DIR}/${ts})
    file(COPY ${SOURCE_DIR}/translations/${ts} DESTINATION ${WORK_DIR})
    execute_process(COMMAND ${LUPDATE} -no-obsolete -locations none ${folders} -ts ${WORK_DIR}/${ts}
        WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE status OUTPUT_QUIET)
    file(READ ${SOURCE_DIR}/translations/${ts} kept)
    file(READ ${WORK_DIR}/${ts} updated)
    if(NOT status EQUAL 0 OR NOT kept STREQUAL updated)
        message(FATAL_ERROR "translations/${ts} does not match the sources; update it with lupdate "
            "-no-obsolete -locations none ${folders} -ts translations/${ts}")
    endif()
    if(kept MATCHES "type=\"unfinished\"")
        message(FATAL_ERROR "translations/${ts} has unfinished translations")
    endif()
endforeach()
