# What `cmake --install` puts where (the folders of VarkolinInstallDirs.cmake),
# the package config that lets another module's build find the library, and
# the Debian package that CPack makes of the same installation.
include(CMakePackageConfigHelpers)

# The library keeps an ABI name, so that a module built against one version
# finds a compatible one; the driver is a plug-in, found by its folder, and
# has none: symlinks beside it would be scanned as drivers too.
set_target_properties(Varkolin PROPERTIES
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR})
# The program finds the library along the path between their folders,
# wherever the installation is; the build tree keeps its own paths.
varkolin_install_path(lib_from_program ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBDIR})
set_target_properties(varkolin PROPERTIES INSTALL_RPATH "$ORIGIN/${lib_from_program}")

install(TARGETS Varkolin EXPORT VarkolinTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${VARKOLIN_INSTALL_INCLUDEDIR})
install(TARGETS varkolindriver LIBRARY DESTINATION ${VARKOLIN_INSTALL_DRIVERDIR})
install(TARGETS varkolin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/host/translations/
    DESTINATION ${VARKOLIN_INSTALL_TRANSLATIONSDIR}
    FILES_MATCHING PATTERN "*.qm")
install(FILES ${PROJECT_SOURCE_DIR}/host/varkolin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/module/res/companies.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps RENAME varkolin.png)

# The public headers are those of the common library, with the headers that
# they include: the export macro and the forms' generated classes. The few
# that only the library's own sources use stay out.
file(GLOB varkolin_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/common/*/*.h)
list(FILTER varkolin_headers EXCLUDE REGEX
    "/(datacell|preparedscript|rowindex|tablecommit|viewbinding|versionrecord)\\.h$")
file(GLOB varkolin_forms CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/common/*/*.ui)
foreach(form IN LISTS varkolin_forms)
    get_filename_component(form_name ${form} NAME_WE)
    list(APPEND varkolin_headers ${CMAKE_BINARY_DIR}/Varkolin_autogen/include/ui_${form_name}.h)
endforeach()
install(FILES ${varkolin_headers} ${PROJECT_BINARY_DIR}/varkolin_export.h
    DESTINATION ${VARKOLIN_INSTALL_INCLUDEDIR})

install(EXPORT VarkolinTargets NAMESPACE Varkolin:: DESTINATION ${VARKOLIN_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VarkolinConfig.cmake.in
    ${PROJECT_BINARY_DIR}/VarkolinConfig.cmake
    INSTALL_DESTINATION ${VARKOLIN_INSTALL_CMAKEDIR}
    PATH_VARS VARKOLIN_INSTALL_SQLDIR)
# A module built against 0.1 needs the ABI of 0.x: the library's SOVERSION.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VarkolinConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VarkolinConfig.cmake ${PROJECT_BINARY_DIR}/VarkolinConfigVersion.cmake
    DESTINATION ${VARKOLIN_INSTALL_CMAKEDIR})

# The Debian package: one package with the program, the libraries and the
# headers. dpkg-shlibdeps finds what is linked; the Qt SQL drivers are loaded
# by name at run time, so they are declared here, and the camera back end of
# the photo dialog is recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varkolin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Varkolin developers <varkolin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reference book of production sites, with the Varkolin common library")
set(CPACK_PACKAGE_DESCRIPTION "The Varkolin program with the production sites module, the common library \
that modules are built on (headers and CMake package included), and the database driver for SQLite and PostgreSQL.")
# Debug information stays in the build tree.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5sql5-sqlite, libqt5sql5-psql")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt5multimedia5-plugins")
include(CPack)
