# Install: libyat.so (with SONAME), the public host headers, the comm device plugins (the simulator's
# and the socket device libyat_sockcomm.so), yatctl, yat-spd and yat-redfishd with their man pages,
# and for host agents built against the installed tree a CMake package (find_package(yat CONFIG)
# giving yat::yat, and yat::simcomm for the simulator's comm device) and pkg-config files (yat.pc,
# yat-simcomm.pc).
# debian/ splits the same install into the Debian packages (scripts/package).

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(YAT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/yat)

target_include_directories(yat INTERFACE $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
                                         $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set_target_properties(yat PROPERTIES EXPORT_NAME yat)
install(TARGETS yat EXPORT yatTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The host headers are exactly the self-contained ones in include/yat.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/yat DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")

if(TARGET yat_simcomm)
  target_include_directories(yat_simcomm INTERFACE $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
                                                   $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  set_target_properties(yat_simcomm PROPERTIES EXPORT_NAME simcomm)
  install(TARGETS yat_simcomm EXPORT yatTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/sim/comm_library/sim_comm.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/yatsim)
endif()

if(TARGET yat_sockcomm)
  # A plugin only (loaded by name, yat/comm_plugin.h): no headers, no CMake target.
  install(TARGETS yat_sockcomm LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

if(TARGET yatctl)
  # Installed yatctl finds the installed library through its run path (see Session::findLibrary).
  set_target_properties(yatctl PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  install(TARGETS yatctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Written at build time by yatctl --man (tools/CMakeLists.txt).
  install(FILES ${CMAKE_BINARY_DIR}/tools/yatctl/yatctl.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
if(TARGET yat-spd)
  install(TARGETS yat-spd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/yat-spd.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
if(TARGET yat-redfishd)
  # Like yatctl, it loads the installed library found through its run path.
  set_target_properties(yat-redfishd PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  install(TARGETS yat-redfishd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/yat-redfishd.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(EXPORT yatTargets NAMESPACE yat:: DESTINATION ${YAT_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/packaging/yatConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/packaging/yatConfig.cmake INSTALL_DESTINATION ${YAT_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/yatConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/packaging/yatConfig.cmake ${CMAKE_BINARY_DIR}/packaging/yatConfigVersion.cmake
        DESTINATION ${YAT_CMAKE_DIR})

# yat.pc and yat-simcomm.pc find their prefix relative to themselves, so the installed tree may be
# moved (or installed with `cmake --install --prefix`).
file(RELATIVE_PATH YAT_PC_TO_PREFIX ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" YAT_PC_TO_PREFIX "${YAT_PC_TO_PREFIX}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/yat.pc.in ${CMAKE_BINARY_DIR}/packaging/yat.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/yat.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(TARGET yat_simcomm)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/yat-simcomm.pc.in ${CMAKE_BINARY_DIR}/packaging/yat-simcomm.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/yat-simcomm.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()
