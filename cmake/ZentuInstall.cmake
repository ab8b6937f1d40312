# Installs headers, both libraries, a CMake package and a pkg-config file.
include(CMakePackageConfigHelpers)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/zentu DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS zentu_platform zentu_d3dx zentu_options EXPORT zentuTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT zentuTargets NAMESPACE zentu:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zentu)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/zentuConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/zentuConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zentu)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/zentuConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/zentuConfig.cmake ${PROJECT_BINARY_DIR}/zentuConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zentu)

set_property(GLOBAL APPEND PROPERTY ZENTU_PC_REQUIRES zlib)
# Modules append to these with set_property(GLOBAL APPEND PROPERTY ...).
get_property(ZENTU_PC_PRIVATE_LIBS GLOBAL PROPERTY ZENTU_PC_LIBS)
get_property(ZENTU_PC_REQUIRES GLOBAL PROPERTY ZENTU_PC_REQUIRES)
list(JOIN ZENTU_PC_PRIVATE_LIBS " " ZENTU_PC_PRIVATE_LIBS)
list(REMOVE_DUPLICATES ZENTU_PC_REQUIRES)
list(JOIN ZENTU_PC_REQUIRES ", " ZENTU_PC_REQUIRES)
configure_file(${PROJECT_SOURCE_DIR}/cmake/zentu.pc.in ${PROJECT_BINARY_DIR}/zentu.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/zentu.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
