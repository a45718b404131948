# Where an installation puts each part, relative to its prefix. The programs
# find each other along the paths between these folders, worked out here and
# compiled in, so that an installed tree works under any prefix and after a
# move, and nothing in it points back into the build tree.
include(GNUInstallDirs)

set(VARKOLIN_INSTALL_DRIVERDIR ${CMAKE_INSTALL_LIBDIR}/${VARKOLIN_DRIVER_FOLDER})
set(VARKOLIN_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/varkolin-modules)
set(VARKOLIN_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/varkolin)
set(VARKOLIN_INSTALL_SQLDIR ${VARKOLIN_INSTALL_DATADIR}/sql)
set(VARKOLIN_INSTALL_TRANSLATIONSDIR ${VARKOLIN_INSTALL_DATADIR}/translations)
set(VARKOLIN_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/varkolin)
set(VARKOLIN_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Varkolin)

# varkolin_install_path(<variable> <from> <to>): the path from one of the
# folders above to another, as a program in the first one follows it.
function(varkolin_install_path variable from to)
    foreach(folder IN ITEMS from to)
        if(IS_ABSOLUTE "${${folder}}")
            message(FATAL_ERROR "Install folders must be relative to the prefix: ${${folder}}")
        endif()
    endforeach()
    file(RELATIVE_PATH path /prefix/${from} /prefix/${to})
    set(${variable} ${path} PARENT_SCOPE)
endfunction()
